#pragma once
#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

// Seeded mutation fuzzing. Every case has its own generator, derived from the
// run's seed, the parser's name and the case number, so a failing case is
// reproduced by running again with the seed and the case printed.
//
// TAPESTREL_FUZZ_SEED (decimal or 0x...) replaces the default seed;
// TAPESTREL_FUZZ_ROUNDS multiplies every case count (longer runs).
namespace fuzz {

uint64_t run_seed();
int rounds();
// base cases times rounds(); printed with the seed so that a run can be repeated.
size_t announce(const char* parser, size_t base_cases);

// The generator of one case.
std::mt19937_64 case_generator(const char* parser, size_t index);
// "seed 0x..., case n" for failure messages.
std::string where(size_t index);

class Mutator {
public:
    explicit Mutator(std::mt19937_64& random) : random_(random) {}

    size_t below(size_t n);
    bool chance(unsigned percent);
    // 1 to max_steps random changes: bit flips, interesting bytes and int32
    // values, deleted, duplicated and inserted ranges, dictionary tokens.
    // first_change is the lowest offset that no longer holds the input's byte
    // (the input's size when only bytes after it changed).
    std::string mutate(const std::string& input, const std::vector<std::string>& dictionary, size_t max_steps,
                       size_t* first_change = nullptr);

private:
    std::mt19937_64& random_;
};

// Case `index` of a parser: its input mutated by the case's own generator.
std::string mutated_case(const char* parser, size_t index, const std::string& input,
                         const std::vector<std::string>& dictionary, size_t max_steps, size_t* first_change = nullptr);

// The lowest offset at which two byte strings differ (the shorter size when
// one is a prefix of the other).
size_t first_difference(const std::string& a, const std::string& b);

// Replaces a file's content in place (created when missing): many times
// faster under Wine than creating the file anew for every case.
bool overwrite_file(const std::wstring& path, const std::string& bytes);

// An address the program may hand to the network or the browser: http(s),
// no control character, blank or quote a request line or a browser's
// argument could be split at, not
// longer than WinINet takes.
bool fetchable(const std::wstring& url);

// Peak memory of this process in bytes: the platform's peak working set, or
// (under Wine, where that reads 0) the host's high-water mark of the process.
uint64_t peak_memory_bytes();
// Fails the test when that peak could not be read or reached the bound.
void expect_peak_memory_below(uint64_t bytes);
constexpr uint64_t kMemoryBound = 1024ull * 1024 * 1024;

}  // namespace fuzz
