// The file helpers of files.h, over std::filesystem and whole-file streams.

#include "support/files.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace fs = std::filesystem;

std::string read_file(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path.string());
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void write_file(const fs::path &path, std::string_view data)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
    out.close();
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

fs::path make_test_folder(const fs::path &base)
{
    std::random_device random;
    for (int tries = 0; tries < 100; ++tries) {
        fs::path folder = base / ("areaedit-test-" + std::to_string(random()));
        if (fs::create_directory(folder))
            return folder;
    }
    throw std::runtime_error("cannot make a folder in " + base.string());
}

std::vector<std::string> folder_entries(const fs::path &folder)
{
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void empty_folder(const fs::path &folder)
{
    for (const auto &entry : fs::directory_iterator(folder))
        fs::remove_all(entry.path());
}

std::vector<std::string> lines_of(const std::string &text)
{
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return lines;
}
