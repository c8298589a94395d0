// Without libFuzzer: every file named on the command line, or found in a folder named there, is
// given to the target once, so that the seed corpus and the regressions run as ordinary tests
// under any compiler.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "FuzzSupport.h"

int main(int argc, char** argv)
{
    std::vector<std::filesystem::path> files;
    for (int k = 1; k < argc; ++k) {
        if (std::filesystem::is_directory(argv[k])) {
            for (const auto& entry : std::filesystem::directory_iterator(argv[k]))
                if (entry.is_regular_file())
                    files.push_back(entry.path());
        } else {
            files.emplace_back(argv[k]);
        }
    }
    for (const auto& file : files) {
        std::ifstream in(file, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), {});
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }
    std::printf("replayed %zu inputs\n", files.size());
    return files.empty() ? 1 : 0;
}
