// Times loading and saving an area file, the editor's way (load_area and
// save_area) and the least way the system offers for the same job (one
// fread; or one fwrite aside, fsync, rename and a sync of the folder), in
// the working folder. Prints one line per figure:
//   load|save areaedit|floor MEDIAN_NS MIN_NS MAX_NS
//
// Start reading at main().

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "area/area.h"

namespace {

constexpr int rounds = 200;
constexpr const char *bench_name = "bench";
constexpr const char *bench_file = "bench.ard";
constexpr const char *aside_file = ".bench.ard.new";

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

// A save that survives a power cut at any moment, as the editor's does:
// written aside, synced, renamed over the old file, and the folder synced.
void floor_save()
{
    std::FILE *f = std::fopen(aside_file, "wb");
    if (!f || std::fwrite(&current_area, area_file_size, 1, f) != 1 || std::fflush(f) != 0
        || ::fsync(fileno(f)) != 0 || std::fclose(f) != 0 || std::rename(aside_file, bench_file) != 0)
        std::exit(EXIT_FAILURE);
    int folder = ::open(".", O_RDONLY | O_DIRECTORY);
    if (folder < 0 || ::fsync(folder) != 0 || ::close(folder) != 0)
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
