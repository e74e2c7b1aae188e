// What the area file tests share: a fresh working folder for each case, and
// reading and writing whole files.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "area/area.h"
#include "platform/platform.h"

namespace fs = std::filesystem;
using bytes = std::vector<unsigned char>;

inline bytes read_file(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return bytes(std::istreambuf_iterator<char>(in), {});
}

inline void write_file(const fs::path &path, const bytes &data)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char *>(data.data()), static_cast<std::streamsize>(data.size()));
}

inline std::int32_t int_at(const bytes &data, std::size_t offset)
{
    std::int32_t value;
    std::memcpy(&value, data.data() + offset, sizeof value);
    return value;
}

// A file as another program might have left it: every byte set, the name
// "cave" followed by leftovers after its terminator.
inline bytes sample_area_file()
{
    bytes data(area_file_size);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<unsigned char>(i * 7 + 3);
    const char name[name_size] = {'c', 'a', 'v', 'e', '\0', 'x', 'y', 'z'};
    std::memcpy(data.data() + 412, name, name_size);
    return data;
}

inline void set_name(const char (&name)[name_size])
{
    std::memcpy(current_area.name.data(), name, name_size);
}

inline std::vector<std::string> folder_entries()
{
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator("."))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A new, empty folder under the system's temporary one.
inline fs::path make_test_folder()
{
    std::random_device random;
    for (;;) {
        fs::path folder = fs::temp_directory_path() / ("area-file-test-" + std::to_string(random()));
        if (fs::create_directory(folder))
            return folder;
    }
}

// Each case in a fresh working folder, with a fresh current_area.
class area_file : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = make_test_folder();
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

