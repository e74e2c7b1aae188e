// fuzz_load_area: any bytes as an area file, loaded with load_area and saved
// again with save_area, in a private working folder.
//
// What must hold: a file shorter than an area is refused with a message and
// status 1, current_area untouched; a longer one loads from its first 420
// bytes; an accepted area saves back as exactly those 420 bytes under its
// stored name, or, when that name is unusable, is refused with a message and
// nothing is written. Nothing else is ever left in the folder.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "area/area.h"
#include "fuzz_support.h"

namespace {

constexpr const char *input_name = "fuzz.input";  // never NAME.ard
constexpr unsigned char untouched_byte = 0xa5;

std::string folder;

bool area_is_untouched()
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(&current_area);
    for (int i = 0; i < area_file_size; ++i) {
        if (bytes[i] != untouched_byte)
            return false;
    }
    return true;
}

void check_refused(std::size_t size, std::optional<int> status, const std::string &messages)
{
    require(status == EXIT_FAILURE, "a short file was not refused with status 1");
    require(area_is_untouched(), "a refused file changed current_area");
    std::string want = std::string("areaedit: cannot load ") + input_name + ": only "
                       + std::to_string(size) + " of the 420 bytes of an area\n";
    require(messages == want, "a short file was refused without its one-line message");
    require(folder_entries(folder) == std::vector<std::string>{input_name},
            "a refused load left a file behind");
}

void check_saved(const std::uint8_t *data, const std::string &messages)
{
    std::string_view name = area_name(current_area);
    std::vector<std::string> entries = folder_entries(folder);
    if (!name_problem(name).empty()) {
        require(messages.rfind("areaedit: cannot save ", 0) == 0 && messages.back() == '\n'
                    && messages.find('\n') == messages.size() - 1,
                "an unusable name was refused without a one-line message");
        require(entries == std::vector<std::string>{input_name},
                "a save under an unusable name wrote a file");
        return;
    }
    require(messages.empty(), "a save under a usable name reported something");
    std::string saved = std::string(name) + area_extension;
    require(entries.size() == 2 && (entries[0] == saved || entries[1] == saved),
            "a save left other files than NAME.ard beside the input");
    std::string bytes = read_file(folder + "/" + saved);
    require(bytes.size() == static_cast<std::size_t>(area_file_size), "a save did not write 420 bytes");
    require(std::memcmp(bytes.data(), data, area_file_size) == 0,
            "a save did not give back the bytes that were loaded");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    check_exit_is_caught();
    folder = make_private_folder();
    require(::chdir(folder.c_str()) == 0, "cannot enter the working folder");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    empty_folder(folder);
    write_file(input_name, std::string_view(reinterpret_cast<const char *>(data), size));
    std::memset(&current_area, untouched_byte, sizeof current_area);

    output_sink out{"stdout", 1 << 16};
    output_sink err{"stderr", 1 << 16};
    std::optional<int> loaded, saved;
    {
        console_redirect console(open_input(nullptr, 0), open_sink(out), open_sink(err));
        loaded = run_catching_exit([] { load_area(input_name); });
        if (!loaded)
            saved = run_catching_exit(save_area);
    }
    require(out.written == 0, "loading or saving wrote to stdout");
    if (size < static_cast<std::size_t>(area_file_size)) {
        check_refused(size, loaded, err.kept);
        return 0;
    }
    require(!loaded, "a file of 420 bytes or more was refused");
    require(std::memcmp(&current_area, data, area_file_size) == 0,
            "current_area is not the first 420 bytes of the file");
    require(!saved, "save_area ended the program");
    check_saved(data, err.kept);
    return 0;
}
