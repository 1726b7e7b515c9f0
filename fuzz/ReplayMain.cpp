// main() for the corpus replay tests: feeds a fuzz target every file below the folders named
// on the command line (the committed corpus and the saved reproducers of that target), in
// name order, and once the empty input. A sanitizer report or a crash ends the process with the
// failing file's name printed just before it; a normal return means every input was accepted.
//
// Exit codes: 0 all inputs ran, 1 a folder or file could not be read, 77 no input file exists
// at all (CTest shows the target as skipped: it still needs a corpus).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

constexpr int kUnreadable = 1;
constexpr int kNoCorpus = 77;

bool ReadFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// Regular files below each existing folder, sorted so that runs are repeatable. A folder that
// does not exist holds nothing (a target may have no saved reproducers).
bool CollectInputs(int argc, char** argv, std::vector<std::filesystem::path>& inputs)
{
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path folder(argv[i]);
        std::error_code error;
        if (!std::filesystem::exists(folder, error))
            continue;
        for (std::filesystem::recursive_directory_iterator it(folder, error), end; it != end;
             it.increment(error)) {
            if (error) {
                std::fprintf(stderr, "cannot list %s: %s\n", folder.c_str(), error.message().c_str());
                return false;
            }
            if (it->is_regular_file())
                inputs.push_back(it->path());
        }
    }
    std::sort(inputs.begin(), inputs.end());
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::filesystem::path> inputs;
    if (!CollectInputs(argc, argv, inputs))
        return kUnreadable;
    const std::uint8_t nothing = 0;
    LLVMFuzzerTestOneInput(&nothing, 0);
    if (inputs.empty()) {
        std::fprintf(stderr, "no corpus: run tools/run-fuzz.sh and commit the minimised corpus "
                             "of this target under fuzz/corpus/\n");
        return kNoCorpus;
    }
    std::vector<std::uint8_t> bytes;
    for (const std::filesystem::path& input : inputs) {
        if (!ReadFile(input, bytes)) {
            std::fprintf(stderr, "cannot read %s\n", input.c_str());
            return kUnreadable;
        }
        std::fprintf(stderr, "%s (%zu bytes)\n", input.c_str(), bytes.size());
        std::fflush(stderr);
        // A copy of exactly the file's size, so that an overread hits the allocation's end.
        const std::vector<std::uint8_t> exact(bytes.begin(), bytes.end());
        LLVMFuzzerTestOneInput(exact.data(), exact.size());
    }
    std::printf("%zu inputs replayed\n", inputs.size());
    return 0;
}
