// What a failed save does on POSIX systems: the new file's mode, a full
// disk, a directory in the way, a working folder removed from under the
// program. Every time the old file stays as it was.

#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/area_file_test.h"

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

TEST_F(area_file, save_onto_a_directory_keeps_it_and_reports)
{
    fs::create_directory("cave.ard");
    write_file("cave.ard/inside", bytes{1, 2, 3});
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


TEST_F(area_file, names_only_windows_refuses_are_saved_here)
{
    // Areas may already be named so; areatool check warns of them.
    set_name({'c', 'o', 'n', '\0'});
    save_area();
    set_name({'a', ':', 'b', '\0'});
    save_area();
    EXPECT_EQ(folder_entries(), (std::vector<std::string>{"a:b.ard", "con.ard"}));
}
