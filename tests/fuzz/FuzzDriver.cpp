// Runs a harness without libFuzzer: the files named on the command line, or else the seed corpus folder
// followed by a fixed number of inputs from a seeded generator, so that every harness also runs as an
// ordinary test under the sanitisers. The input being run is kept in a file until it passes, so a crash
// leaves its reproducer behind.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

constexpr size_t maxGeneratedSize = 4096;

std::vector<uint8_t> readFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

class Runner {
public:
    explicit Runner(std::string name_) : name(std::move(name_)), pending(name + "-pending-input.bin") {}

    void run(const std::vector<uint8_t>& input) {
        {
            std::ofstream file(pending, std::ios::binary | std::ios::trunc);
            file.write(reinterpret_cast<const char*>(input.data()),
                       static_cast<std::streamsize>(input.size()));
        }
        LLVMFuzzerTestOneInput(input.data(), input.size());
        ++count;
    }
    ~Runner() {
        std::error_code ignored;
        std::filesystem::remove(pending, ignored);
        std::printf("%s: %zu inputs passed\n", name.c_str(), count);
    }
    Runner(const Runner&) = delete;
    Runner& operator=(const Runner&) = delete;

private:
    std::string name;
    std::filesystem::path pending;
    size_t count = 0;
};

// Mostly short inputs, where structure decoded from the first bytes matters, and some long ones.
std::vector<uint8_t> generate(std::mt19937& random) {
    std::uniform_int_distribution<int> kind(0, 9);
    const size_t limit = kind(random) < 7 ? 256 : maxGeneratedSize;
    std::uniform_int_distribution<size_t> length(0, limit);
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<uint8_t> input(length(random));
    for (uint8_t& b : input) {
        b = static_cast<uint8_t>(byte(random));
    }
    return input;
}

} // namespace

// fuzz_x [file ...]                      replay the given inputs
// fuzz_x --corpus DIR --runs N --seed S  the seed files in DIR, then N generated inputs
int main(int argc, char** argv) {
    std::string harness = std::filesystem::path(argv[0]).filename().string();
    Runner runner(harness);
    std::filesystem::path corpus;
    long runs = 0;
    unsigned seed = 1;
    std::vector<std::filesystem::path> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--corpus" && i + 1 < argc) {
            corpus = argv[++i];
        } else if (arg == "--runs" && i + 1 < argc) {
            runs = std::strtol(argv[++i], nullptr, 10);
        } else if (arg == "--seed" && i + 1 < argc) {
            seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
        } else {
            files.emplace_back(arg);
        }
    }
    for (const auto& file : files) {
        runner.run(readFile(file));
    }
    if (!corpus.empty() && std::filesystem::is_directory(corpus)) {
        std::vector<std::filesystem::path> seeds;
        for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
            if (entry.is_regular_file()) {
                seeds.push_back(entry.path());
            }
        }
        std::sort(seeds.begin(), seeds.end());
        for (const auto& file : seeds) {
            runner.run(readFile(file));
        }
    }
    std::mt19937 random(seed);
    for (long i = 0; i < runs; ++i) {
        runner.run(generate(random));
    }
    return 0;
}
