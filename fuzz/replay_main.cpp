// Runs a fuzz target's entry point once on every file of the directories named on the command
// line, so that the checked-in corpus is replayed by the ordinary test run, with any compiler.
// A broken property aborts the process.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
    size_t replayed = 0;
    for (int i = 1; i < argc; ++i) {
        for (const auto& entry : std::filesystem::directory_iterator(argv[i])) {
            std::ifstream in(entry.path(), std::ios::binary);
            // Exactly the input's size, so that ASan sees a read past its end.
            const std::vector<uint8_t> input(std::istreambuf_iterator<char>(in), {});
            LLVMFuzzerTestOneInput(input.data(), input.size());
            ++replayed;
        }
    }
    std::printf("replayed %zu inputs\n", replayed);
    return replayed > 0 ? 0 : 1;
}
