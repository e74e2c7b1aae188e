// What the area file tests share: each case in a fresh working folder with
// a fresh current_area.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "area/area.h"
#include "platform/platform.h"
#include "support/areas.h"
#include "support/files.h"

namespace fs = std::filesystem;
using bytes = std::string;

inline void set_name(const char (&name)[name_size])
{
    std::memcpy(current_area.name.data(), name, name_size);
}

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
