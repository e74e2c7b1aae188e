// The area file: the bytes a save writes, what a load accepts, and the names
// a save refuses. area_file_posix_test.cpp and area_file_windows_test.cpp
// hold what each system's saves do when they fail.

#include "support/area_file_test.h"

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
    write_file("empty.ard", "");
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

TEST_F(area_file, files_replaced_together_are_put_back_when_a_later_move_fails)
{
    write_file("sheet.png", "old");
    // A replacement ended by a crash may have left a second name behind:
    // the old file is kept under another.
    write_file(".sheet.png.old0", "stale");
    fs::create_directories("set.tsx/inside");  // no file can be moved onto it
    std::string why = replace_files({"sheet.png", "fresh.bin", "set.tsx"},
                                    [](std::size_t, int fd, const std::string &) {
                                        return write_all(fd, "new", 3);
                                    });
    EXPECT_NE(why, "");
    EXPECT_EQ(read_file("sheet.png"), (bytes{'o', 'l', 'd'}));
    EXPECT_EQ(read_file(".sheet.png.old0"), (bytes{'s', 't', 'a', 'l', 'e'}));
    EXPECT_EQ(folder_entries(), (std::vector<std::string>{".sheet.png.old0", "set.tsx", "sheet.png"}));
}

TEST_F(area_file, files_replaced_together_stay_as_they_were_when_one_is_refused_or_cannot_be_written)
{
    const bytes sheet{'o', 'l', 'd'}, set{'t', 's', 'x'};
    struct {
        const char *read_only;      // refused before anything is written
        std::size_t failing_write;  // the writer that fails
        int writes;                 // how many writers ran
    } cases[] = {{"set.tsx", 2, 0}, {nullptr, 1, 2}};
    for (const auto &c : cases) {
        write_file("sheet.png", sheet);
        write_file("set.tsx", set);
        if (c.read_only)
            fs::permissions(c.read_only, fs::perms::owner_read);
        int writes = 0;
        auto write = [&](std::size_t index, int fd, const std::string &) {
            ++writes;
            return index == c.failing_write ? std::string("no room") : write_all(fd, "new", 3);
        };
        std::string why = replace_files({"sheet.png", "set.tsx"}, write);
        if (c.read_only)
            fs::permissions(c.read_only, fs::perms::owner_all);  // for the next case and TearDown
        EXPECT_NE(why, "");
        EXPECT_TRUE(c.read_only || why == "no room") << why;
        EXPECT_EQ(writes, c.writes);
        EXPECT_EQ(read_file("sheet.png"), sheet);
        EXPECT_EQ(read_file("set.tsx"), set);
        EXPECT_EQ(folder_entries(), (std::vector<std::string>{"set.tsx", "sheet.png"}));
    }
}

TEST(area_names, usable_names_are_1_to_7_plain_characters)
{
    EXPECT_EQ(name_problem("hall"), "");
    EXPECT_EQ(name_problem("a.b-c_d"), "");
    EXPECT_EQ(name_problem(""), "the name is empty");
    EXPECT_EQ(name_problem("abcdefgh"), "the name is longer than 7 characters");
    EXPECT_EQ(name_problem("a/b"), "the name holds a path separator");
    EXPECT_EQ(name_problem(std::string_view("a\0b", 3)), "the name holds a control character");
}

TEST(area_names, names_windows_cannot_use_are_told_on_every_system)
{
    for (const char *device : {"con", "CON", "Prn", "aux.ard", "nul.x", "com1", "LPT9", "con .a", "conin$",
                               "com\xB9"}) {
        EXPECT_EQ(windows_name_problem(device), "the name is a device name on Windows") << device;
    }
    for (const char *fine : {"con2", "com0", "com10", "lpt", "console", "xcon", "a.con", "hall"})
        EXPECT_EQ(windows_name_problem(fine), "") << fine;
    for (const char *reserved : {"a<b", "a>b", "a:b", "a\"b", "a|b", "a?b", "a*"}) {
        EXPECT_EQ(windows_name_problem(reserved),
                     "the name holds one of < > : \" | ? *, which Windows does not allow") << reserved;
    }
    EXPECT_EQ(windows_name_problem("hall."), "the name ends in a dot or a space, which Windows does not allow");
    EXPECT_EQ(windows_name_problem("hall "), "the name ends in a dot or a space, which Windows does not allow");
}

TEST(area_rules, a_new_area_keeps_the_mark_the_time_and_the_bytes_after_the_name)
{
    area_record area{};
    paint_cell(area, {4, 6}, mark_tile);
    area.time_allowed = 120;
    area.name = {'l', 'o', 'n', 'g', 'e', 's', 't', '\0'};
    start_area(area, "ab");
    EXPECT_EQ((std::array{area.mark_col, area.mark_row, area.time_allowed}), (std::array{4, 6, 120}));
    EXPECT_EQ(std::string(area.name.data(), name_size), std::string("ab\0gest\0", name_size));
    for (const auto &column : area.cells)
        EXPECT_EQ(column, (std::array<std::int32_t, board_rows>{-1, -1, -1, -1, -1, -1, -1, -1, -1, -1}));
    // A name too long for the field is cut to it, never written past it.
    name_area(area, "eightchr");
    EXPECT_EQ(std::string(area.name.data(), name_size), std::string("eightch\0", name_size));
}
