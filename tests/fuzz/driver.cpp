// Runs a fuzz target once over every file of a corpus folder, plus a few fixed
// inputs, so that a build without libFuzzer still exercises the target.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
    std::vector<std::vector<uint8_t>> inputs = {{}, {0}, std::vector<uint8_t>(4096, 0xFF)};
    int files = 0;
    if (argc > 1 && std::filesystem::is_directory(argv[1])) {
        for (auto& e : std::filesystem::recursive_directory_iterator(argv[1])) {
            if (!e.is_regular_file()) continue;
            std::ifstream in(e.path(), std::ios::binary);
            inputs.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            ++files;
        }
    }
    for (auto& in : inputs) LLVMFuzzerTestOneInput(in.data(), in.size());
    std::printf("fuzz smoke: %zu inputs (%d corpus files)\n", inputs.size(), files);
    return 0;
}
