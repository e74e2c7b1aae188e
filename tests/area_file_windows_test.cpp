// What a failed save does on Windows: a read-only area file, a directory in
// the way, and names Windows keeps for devices or cannot hold. Every time
// the old file stays as it was, no temporary file is left, and one line
// says why.

#include <windows.h>

#include "support/area_file_test.h"

namespace {

// What save_area said on stderr.
std::string save_and_report()
{
    testing::internal::CaptureStderr();
    save_area();
    return testing::internal::GetCapturedStderr();
}

bool is_one_line_starting(const std::string &said, const std::string &start)
{
    return said.rfind(start, 0) == 0 && std::count(said.begin(), said.end(), '\n') == 1;
}

}  // namespace

TEST_F(area_file, save_over_a_read_only_file_keeps_it_and_reports)
{
    bytes old = sample_area_file();
    write_file("cave.ard", old);
    ASSERT_TRUE(::SetFileAttributesA("cave.ard", FILE_ATTRIBUTE_READONLY));
    std::memcpy(&current_area, old.data(), area_file_size);
    current_area.time_allowed = 999;

    std::string said = save_and_report();
    ::SetFileAttributesA("cave.ard", FILE_ATTRIBUTE_NORMAL);  // for TearDown
    EXPECT_TRUE(is_one_line_starting(said, "areaedit: cannot save cave.ard: ")) << said;
    EXPECT_EQ(read_file("cave.ard"), old);
    EXPECT_EQ(folder_entries(), std::vector<std::string>{"cave.ard"});
}

TEST_F(area_file, save_onto_a_directory_keeps_it_and_reports)
{
    fs::create_directory("cave.ard");
    write_file("cave.ard/inside", bytes{1, 2, 3});
    set_name({'c', 'a', 'v', 'e', '\0'});
    std::string said = save_and_report();
    EXPECT_TRUE(is_one_line_starting(said, "areaedit: cannot save cave.ard: ")) << said;
    EXPECT_EQ(read_file("cave.ard/inside"), (bytes{1, 2, 3}));
    EXPECT_EQ(folder_entries(), std::vector<std::string>{"cave.ard"});
}

TEST_F(area_file, device_and_reserved_names_are_refused_and_nothing_is_written)
{
    // NUL would swallow the area and report success; CON would print it.
    const char names[][name_size] = {{'N', 'U', 'L', '\0'}, {'c', 'o', 'n', '\0'}, {'c', 'o', 'm', '1', '\0'},
                                     {'a', ':', 'b', '\0'}, {'h', 'a', 'l', 'l', '.', '\0'}};
    for (const auto &name : names) {
        set_name(name);
        std::string said = save_and_report();
        EXPECT_TRUE(is_one_line_starting(said, "areaedit: cannot save ")) << said;
        EXPECT_NE(said.find("Windows"), std::string::npos) << said;
    }
    EXPECT_TRUE(folder_entries().empty());
}
