// The main that stands in for libFuzzer's in the test build: runs a fuzz
// target once over the files given, and over the files in the folders
// given, so that ctest replays each target's corpus. A law that breaks ends
// the run as it would end the fuzzer's, with the input's name printed last.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) __attribute__((weak));
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

int main(int argc, char **argv)
{
    std::vector<std::filesystem::path> files;
    for (int i = 1; i < argc; ++i) {
        std::error_code error;
        if (std::filesystem::is_directory(argv[i], error)) {
            for (const auto &entry : std::filesystem::directory_iterator(argv[i]))
                files.push_back(entry.path());
        } else {
            files.emplace_back(argv[i]);
        }
    }
    std::sort(files.begin(), files.end());

    // Read before the target starts: it may change the working folder.
    std::vector<std::pair<std::string, std::string>> inputs;
    for (const auto &file : files) {
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "replay: cannot read %s\n", file.c_str());
            return 2;
        }
        inputs.emplace_back(file.string(), std::string(std::istreambuf_iterator<char>(in), {}));
    }
    if (inputs.empty()) {
        std::fprintf(stderr, "replay: no inputs\n");
        return 2;
    }

    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    for (const auto &[name, bytes] : inputs) {
        std::fprintf(stderr, "replay: %s\n", name.c_str());
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size());
    }
    std::fprintf(stderr, "replay: %zu inputs, no findings\n", inputs.size());
    return 0;
}
