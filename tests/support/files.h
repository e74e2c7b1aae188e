// Files for the tests and the fuzz targets: whole files read and written,
// a fresh folder, and what a folder holds. A file or folder that cannot be
// read, written or made throws std::runtime_error: a failed case in a test,
// a finding in a fuzz target.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

std::string read_file(const std::filesystem::path &path);
void write_file(const std::filesystem::path &path, std::string_view data);

// A new, empty folder of a name of its own under base.
std::filesystem::path make_test_folder(const std::filesystem::path &base = std::filesystem::temp_directory_path());
// The names in folder, sorted.
std::vector<std::string> folder_entries(const std::filesystem::path &folder = ".");
// text's lines, without their line ends.
std::vector<std::string> lines_of(const std::string &text);
// Removes everything in folder, keeping it.
void empty_folder(const std::filesystem::path &folder);
