// The entry point of a fuzz target built without libFuzzer: runs the target once over
// every file named on the command line, and over every file in each directory named, in
// name order. CTest runs it over the generated seeds and the saved regression inputs, so
// that a build with any compiler (and the sanitizer build) exercises the targets and
// replays every crash ever found. A directory that does not exist holds no input yet;
// finding no input at all is a failure.
#include "xy_generator.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace
{

std::vector<std::string> inputsIn(const std::string& path)
{
    namespace fs = std::filesystem;
    std::error_code error;
    if (!fs::is_directory(path, error))
        return fs::exists(path, error) ? std::vector<std::string>{path}
                                       : std::vector<std::string>{};
    std::vector<std::string> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(path, error))
        if (entry.is_regular_file(error))
            files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

int main(int argc, char** argv)
{
    LLVMFuzzerInitialize(&argc, &argv);
    size_t replayed = 0;
    for (int i = 1; i < argc; ++i) {
        for (const std::string& file : inputsIn(argv[i])) {
            std::vector<uint8_t> bytes;
            if (!readFileBytes(file, bytes)) {
                std::fprintf(stderr, "cannot read %s\n", file.c_str());
                return 1;
            }
            // Named first, so that the input of a crash is the last line printed.
            std::fprintf(stderr, "%s\n", file.c_str());
            LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
            ++replayed;
        }
    }
    std::fprintf(stderr, "%zu inputs replayed\n", replayed);
    return replayed > 0 ? 0 : 1;
}
