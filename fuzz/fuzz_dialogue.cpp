// fuzz_dialogue: the whole console dialogue over any standard input, with
// the editor replaced by a stand-in that returns at once, in a private
// working folder seeded with a few area files.
//
// What must hold: the dialogue ends (by exit or the menu's Exit) with status
// 0 or 1; its output stays within a bound set by the input's length; and the
// folder afterwards holds only the seeded files, each as it was or replaced
// by a whole 420-byte area, and new files named NAME.ard with NAME of 1 to 7
// characters, each of 420 bytes. Nothing appears beside the folder.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

#include "area/area.h"
#include "console/console.h"
#include "fuzz_support.h"
#include "support/areas.h"
#include "support/editor_standin.h"

namespace {

// Output per character of input: a menu shown again, or a prompt asked again
// after a bad answer, is well under this.
constexpr std::size_t output_per_input_byte = 256;
constexpr std::size_t output_allowance = 4096;

std::string outer_folder;  // holds only the working folder
std::string folder;
std::map<std::string, std::string> seeds;  // file name to its bytes

std::string area_file(std::string_view name, std::int32_t first_cell, std::size_t size)
{
    area_record area = empty_area(name, 2, 3);
    area.time_allowed = 90;
    area.cells[0][0] = first_cell;
    std::string bytes = file_bytes(area);
    bytes.resize(size, 'x');
    return bytes;
}

void make_seeds()
{
    seeds["hall.ard"] = area_file("hall", 1, area_file_size);
    seeds["cave.ard"] = area_file("cave", 2, area_file_size + 10);  // a longer file
    seeds["stub.ard"] = area_file("stub", 3, 100);                   // a short one
    seeds["wild.ard"] = area_file("wildcard", 4, area_file_size);    // no terminator
    seeds["copy.ard"] = area_file("hall", 5, area_file_size);        // saves as hall.ard
}

void seed_folder()
{
    empty_folder(folder);
    for (const auto &[name, bytes] : seeds)
        write_file(folder + "/" + name, bytes);
}

bool usable_area_file_name(const std::string &name)
{
    std::size_t extension = std::strlen(area_extension);
    if (name.size() <= extension || name.compare(name.size() - extension, extension, area_extension) != 0)
        return false;
    return name_problem(std::string_view(name).substr(0, name.size() - extension)).empty();
}

void check_folder()
{
    require(folder_entries(outer_folder) == std::vector<std::string>{"work"},
            "a file was written beside the working folder");
    for (const std::string &name : folder_entries(folder)) {
        std::string bytes = read_file(folder + "/" + name);
        auto seed = seeds.find(name);
        if (seed != seeds.end() && seed->second == bytes)
            continue;
        require(usable_area_file_name(name), "a file was written under a name that is not NAME.ard");
        require(bytes.size() == static_cast<std::size_t>(area_file_size),
                "an area file was written with another size than 420 bytes");
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    check_exit_is_caught();
    outer_folder = make_private_folder();
    folder = outer_folder + "/work";
    require(::mkdir(folder.c_str(), 0700) == 0, "cannot make the working folder");
    remove_at_exit(folder);
    require(::chdir(folder.c_str()) == 0, "cannot enter the working folder");
    make_seeds();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    seed_folder();
    current_area = {};
    reset_editor_standin();

    std::size_t cap = output_allowance + output_per_input_byte * size;
    output_sink out{"stdout", cap};
    output_sink err{"stderr", cap};
    std::optional<int> status;
    {
        console_redirect console(open_input(data, size), open_sink(out), open_sink(err));
        status = run_catching_exit(run_main_menu);
    }
    require(!status || *status == EXIT_SUCCESS || *status == EXIT_FAILURE,
            "the dialogue ended with another status than 0 or 1");
    check_folder();
    return 0;
}
