// Replays the saved inputs of a fuzz target without libFuzzer: every file in the folders given,
// in name order, goes once through the target's LLVMFuzzerTestOneInput. The test suite builds
// one such program per target with the ordinary compiler, so an input that once made a finding
// is checked by every build, the sanitizer build included. A failed check aborts, as it does
// under libFuzzer; the name of the input is printed first so the failing one is known.
//
//   fuzz_replay_TARGET FOLDER...

#include "FuzzSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#ifndef FUZZ_TARGET_NAME
#error "FUZZ_TARGET_NAME names the target this program replays"
#endif

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv)
{
    namespace fs = std::filesystem;
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER...\n", argv[0]);
        return 64;
    }
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(argv[i], error))
            if (entry.is_regular_file())
                inputs.push_back(entry.path());
        if (error) {
            std::fprintf(stderr, "%s: cannot read %s: %s\n", FUZZ_TARGET_NAME, argv[i], error.message().c_str());
            return 1;
        }
    }
    // A replay of nothing would pass whatever the target did.
    if (inputs.empty()) {
        std::fprintf(stderr, "%s: no inputs to replay\n", FUZZ_TARGET_NAME);
        return 1;
    }
    std::sort(inputs.begin(), inputs.end());

    // The targets make their scratch folder below $TMPDIR, which the test points into the
    // build folder: made here when a clean of the build removed it.
    if (const char* temp = std::getenv("TMPDIR"); temp && *temp) {
        std::error_code ignored;
        fs::create_directories(temp, ignored);
    }
    fuzzsupport::gsSetReplaying();
    for (const fs::path& input : inputs) {
        // A buffer of exactly the input's size, as libFuzzer gives: a read past its end is one
        // the sanitizer build sees.
        std::error_code error;
        const std::uintmax_t size = fs::file_size(input, error);
        const auto data = std::make_unique<std::uint8_t[]>(error ? 0 : size);
        std::ifstream in(input, std::ios::binary);
        if (error || !in.read(reinterpret_cast<char*>(data.get()), static_cast<std::streamsize>(size))) {
            std::fprintf(stderr, "%s: cannot read %s\n", FUZZ_TARGET_NAME, input.c_str());
            return 1;
        }
        std::fprintf(stderr, "%s: %s\n", FUZZ_TARGET_NAME, input.filename().c_str());
        LLVMFuzzerTestOneInput(data.get(), static_cast<std::size_t>(size));
    }
    std::printf("%s: %zu inputs replayed\n", FUZZ_TARGET_NAME, inputs.size());
    return 0;
}
