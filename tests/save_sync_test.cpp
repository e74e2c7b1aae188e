// That a save which returned is on disk: the new file is synced before its
// rename and its folder after it, so a power cut cannot bring the old file
// back. fsync and rename are wrapped at link time (-Wl,--wrap, see
// CMakeLists.txt), which records each call as it reaches the system.

#include <cerrno>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "support/area_file_test.h"

namespace {

struct call {
    std::string name;  // "fsync" or "rename"
    dev_t device;      // of the file synced, or of the rename's target
    ino_t inode;
    bool folder;
    bool operator==(const call &) const = default;
};

std::vector<call> calls;
int folder_sync_error = 0;  // when set, a folder's fsync fails with it

call call_on(const char *name, const struct stat &file)
{
    return {name, file.st_dev, file.st_ino, S_ISDIR(file.st_mode)};
}

call file_at(const char *name, const fs::path &path)
{
    struct stat file {};
    EXPECT_EQ(::stat(path.c_str(), &file), 0) << path;
    return call_on(name, file);
}

}  // namespace

extern "C" int __real_fsync(int fd);
extern "C" int __real_rename(const char *from, const char *to);

extern "C" int __wrap_fsync(int fd)
{
    struct stat file;
    if (::fstat(fd, &file) == 0) {
        calls.push_back(call_on("fsync", file));
        if (S_ISDIR(file.st_mode) && folder_sync_error) {
            errno = folder_sync_error;
            return -1;
        }
    }
    return __real_fsync(fd);
}

extern "C" int __wrap_rename(const char *from, const char *to)
{
    int result = __real_rename(from, to);
    struct stat file;
    if (result == 0 && ::stat(to, &file) == 0)
        calls.push_back(call_on("rename", file));
    return result;
}

namespace {

class save_sync : public area_file {
protected:
    void SetUp() override
    {
        area_file::SetUp();
        current_area = empty_area();
        calls.clear();
        folder_sync_error = 0;
    }
};

std::string write_byte(const std::string &path)
{
    return replace_file(path, [](int fd, const std::string &) { return write_all(fd, "x", 1); });
}

}  // namespace

TEST_F(save_sync, save_syncs_the_file_then_renames_it_then_syncs_the_folder)
{
    save_area();
    call file = file_at("fsync", "hall.ard");
    call renamed = file_at("rename", "hall.ard");
    call folder_synced = file_at("fsync", ".");
    EXPECT_EQ(calls, (std::vector<call>{file, renamed, folder_synced}));

    // A second save replaces the file and syncs the same folder again.
    calls.clear();
    save_area();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[2], folder_synced);
}

TEST_F(save_sync, file_in_another_folder_syncs_that_folder)
{
    fs::create_directory("sub");
    EXPECT_EQ(write_byte("sub/out.png"), "");
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[2], file_at("fsync", "sub"));
}

TEST_F(save_sync, folder_that_cannot_be_synced_is_reported_unless_it_cannot_sync_at_all)
{
    // EIO: the rename may not be on disk, and the caller must hear of it.
    folder_sync_error = EIO;
    std::string why = write_byte("out.png");
    EXPECT_NE(why.find("the new file is in place"), std::string::npos) << why;
    EXPECT_NE(why.find(std::strerror(EIO)), std::string::npos) << why;
    EXPECT_TRUE(fs::exists("out.png"));

    // EINVAL: a file system that has no folder sync; nothing more to do.
    folder_sync_error = EINVAL;
    EXPECT_EQ(write_byte("out.png"), "");
}
