// Times loading and saving an area file, the editor's way (load_area and
// save_area) and the least way the C library offers (one fread, or one
// fwrite and an fsync), in the working folder. Prints one line per figure:
//   load|save areaedit|floor MEDIAN_NS MIN_NS MAX_NS
//
// Start reading at main().

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string_view>
#include <vector>

#include <unistd.h>

#include "area/area.h"

namespace {

constexpr int rounds = 200;
constexpr const char *bench_name = "bench";
constexpr const char *bench_file = "bench.ard";

long long now_ns()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000000000LL + t.tv_nsec;
}

void floor_load()
{
    std::FILE *f = std::fopen(bench_file, "rb");
    if (!f || std::fread(&current_area, area_file_size, 1, f) != 1)
        std::exit(EXIT_FAILURE);
    std::fclose(f);
}

void floor_save()
{
    std::FILE *f = std::fopen(bench_file, "wb");
    if (!f || std::fwrite(&current_area, area_file_size, 1, f) != 1 || std::fflush(f) != 0
        || ::fsync(fileno(f)) != 0 || std::fclose(f) != 0)
        std::exit(EXIT_FAILURE);
}

void editor_load()
{
    load_area(bench_file);
}

void report(const char *figure, const char *who, void (*operation)())
{
    std::vector<long long> times;
    for (int i = 0; i < rounds; ++i) {
        long long start = now_ns();
        operation();
        times.push_back(now_ns() - start);
    }
    std::sort(times.begin(), times.end());
    std::printf("%s %s %lld %lld %lld\n", figure, who, times[times.size() / 2], times.front(),
                times.back());
}

}  // namespace

int main()
{
    current_area.name = {};
    std::copy_n(bench_name, std::string_view(bench_name).size(), current_area.name.begin());
    for (auto &column : current_area.cells)
        column.fill(empty_tile);
    save_area();
    report("save", "areaedit", save_area);
    report("save", "floor", floor_save);
    report("load", "areaedit", editor_load);
    report("load", "floor", floor_load);
}
