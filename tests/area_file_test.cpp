// The area file: the bytes a save writes, what a load accepts, and that a
// failed save never costs the area file that was there before.

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "area/area.h"

namespace fs = std::filesystem;
using bytes = std::vector<unsigned char>;

namespace {

bytes read_file(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return bytes(std::istreambuf_iterator<char>(in), {});
}

void write_file(const fs::path &path, const bytes &data)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char *>(data.data()), static_cast<std::streamsize>(data.size()));
}

std::int32_t int_at(const bytes &data, std::size_t offset)
{
    std::int32_t value;
    std::memcpy(&value, data.data() + offset, sizeof value);
    return value;
}

// A file as another program might have left it: every byte set, the name
// "cave" followed by leftovers after its terminator.
bytes sample_area_file()
{
    bytes data(area_file_size);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<unsigned char>(i * 7 + 3);
    const char name[name_size] = {'c', 'a', 'v', 'e', '\0', 'x', 'y', 'z'};
    std::memcpy(data.data() + 412, name, name_size);
    return data;
}

void set_name(const char (&name)[name_size])
{
    std::memcpy(current_area.name.data(), name, name_size);
}

std::vector<std::string> folder_entries()
{
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator("."))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Each case in a fresh working folder, with a fresh current_area.
class area_file : public ::testing::Test {
protected:
    void SetUp() override
    {
        char folder_template[] = "/tmp/area-file-test-XXXXXX";
        folder = ::mkdtemp(folder_template);
        previous = fs::current_path();
        fs::current_path(folder);
        current_area = {};
    }
    void TearDown() override
    {
        fs::current_path(previous);
        fs::remove_all(folder);
    }
    fs::path folder;
    fs::path previous;
};

using area_file_death = area_file;

}  // namespace

TEST_F(area_file, save_writes_420_bytes_with_cells_column_first)
{
    set_name({'h', 'a', 'l', 'l', '\0', '\0', '\0', '\0'});
    for (auto &column : current_area.cells)
        column.fill(empty_tile);
    current_area.cells[2][7] = mark_tile;
    current_area.mark_col = 2;
    current_area.mark_row = 7;
    current_area.time_allowed = 120;
    save_area();

    bytes saved = read_file("hall.ard");
    ASSERT_EQ(saved.size(), 420u);
    EXPECT_EQ(int_at(saved, 0), 2);
    EXPECT_EQ(int_at(saved, 4), 7);
    EXPECT_EQ(int_at(saved, 8), 120);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(int_at(saved, 12 + 4 * i), i == 27 ? 3 : -1) << "cell " << i;
    EXPECT_EQ(std::memcmp(saved.data() + 412, "hall\0\0\0\0", 8), 0);
    EXPECT_EQ(folder_entries(), std::vector<std::string>{"hall.ard"});
}

TEST_F(area_file, saved_file_gets_the_mode_of_a_plain_create)
{
    mode_t old_mask = ::umask(022);
    set_name({'h', 'a', 'l', 'l', '\0'});
    save_area();
    ::umask(old_mask);
    EXPECT_EQ(fs::status("hall.ard").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read
                  | fs::perms::others_read);
}

TEST_F(area_file, load_then_save_gives_back_the_same_bytes)
{
    // Bytes after the name's terminator travel through load and save as
    // they stand.
    write_file("typed.ard", sample_area_file());
    load_area("typed.ard");
    save_area();  // under the stored name, not the file's
    EXPECT_EQ(read_file("cave.ard"), sample_area_file());
}

TEST_F(area_file, longer_file_loads_from_its_first_420_bytes)
{
    bytes data = sample_area_file();
    bytes longer = data;
    longer.resize(1000, 0xAB);
    write_file("long.ard", longer);
    load_area("long.ard");
    EXPECT_EQ(std::memcmp(&current_area, data.data(), area_file_size), 0);
}

TEST_F(area_file_death, missing_file_ends_with_status_1_and_says_nothing)
{
    EXPECT_EXIT(load_area("absent.ard"), ::testing::ExitedWithCode(1), "^$");
}

TEST_F(area_file_death, short_file_is_refused_with_its_name)
{
    bytes data = sample_area_file();
    data.resize(419);
    write_file("short.ard", data);
    EXPECT_EXIT(load_area("short.ard"), ::testing::ExitedWithCode(1),
                "^areaedit: cannot load short.ard: only 419 of the 420 bytes of an area\n$");
    write_file("empty.ard", {});
    EXPECT_EXIT(load_area("empty.ard"), ::testing::ExitedWithCode(1), "only 0 of the 420");
}

TEST_F(area_file, save_refuses_names_that_leave_the_working_folder)
{
    const char unusable[][name_size] = {
        {'\0', 'o', 'l', 'd'},                      // empty
        {'.', '.', '/', 'x', '\0'},                 // a path
        {'a', '\\', 'b', '\0'},                     // a path elsewhere
        {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'},  // no terminator: 8 characters
    };
    for (const auto &name : unusable) {
        set_name(name);
        testing::internal::CaptureStderr();
        save_area();
        std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_NE(said.find("areaedit: cannot save"), std::string::npos) << said;
    }
    EXPECT_TRUE(folder_entries().empty());
    EXPECT_FALSE(fs::exists(folder.parent_path() / "x.ard"));
}

TEST_F(area_file, save_replaces_an_existing_file)
{
    write_file("cave.ard", bytes(420, 0x11));
    bytes data = sample_area_file();
    std::memcpy(&current_area, data.data(), area_file_size);
    save_area();
    EXPECT_EQ(read_file("cave.ard"), data);
    EXPECT_EQ(folder_entries(), std::vector<std::string>{"cave.ard"});
}

TEST_F(area_file, save_onto_a_directory_keeps_it_and_reports)
{
    fs::create_directory("cave.ard");
    write_file("cave.ard/inside", {1, 2, 3});
    set_name({'c', 'a', 'v', 'e', '\0'});
    testing::internal::CaptureStderr();
    save_area();
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said, "areaedit: cannot save cave.ard: Is a directory\n");
    EXPECT_EQ(read_file("cave.ard/inside"), (bytes{1, 2, 3}));
    EXPECT_EQ(folder_entries(), std::vector<std::string>{"cave.ard"});  // no temporary left
}

TEST_F(area_file, save_that_runs_out_of_space_keeps_the_old_file)
{
    bytes old = sample_area_file();
    write_file("cave.ard", old);
    std::memcpy(&current_area, old.data(), area_file_size);
    current_area.time_allowed = 999;

    // A file size limit makes the write stop part way, as a full disk does.
    rlimit saved_limit;
    ::getrlimit(RLIMIT_FSIZE, &saved_limit);
    rlimit small = saved_limit;
    small.rlim_cur = 100;
    auto saved_handler = std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &small);
    testing::internal::CaptureStderr();
    save_area();
    std::string said = testing::internal::GetCapturedStderr();
    ::setrlimit(RLIMIT_FSIZE, &saved_limit);
    std::signal(SIGXFSZ, saved_handler);

    EXPECT_EQ(said, "areaedit: cannot save cave.ard: File too large\n");
    EXPECT_EQ(read_file("cave.ard"), old);
    EXPECT_EQ(folder_entries(), std::vector<std::string>{"cave.ard"});
}

TEST_F(area_file, save_in_a_removed_folder_reports_and_returns)
{
    fs::remove(folder);  // the working folder is gone from under the program
    set_name({'c', 'a', 'v', 'e', '\0'});
    testing::internal::CaptureStderr();
    save_area();
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "areaedit: cannot save cave.ard: No such file or directory\n");
    fs::create_directory(folder);  // for TearDown
}

TEST(area_names, usable_names_are_1_to_7_plain_characters)
{
    EXPECT_EQ(name_problem("hall"), nullptr);
    EXPECT_EQ(name_problem("a.b-c_d"), nullptr);
    EXPECT_STREQ(name_problem(""), "the name is empty");
    EXPECT_STREQ(name_problem("abcdefgh"), "the name is longer than 7 characters");
    EXPECT_STREQ(name_problem("a/b"), "the name holds a path separator");
    EXPECT_STREQ(name_problem(std::string_view("a\0b", 3)), "the name holds a control character");
}
