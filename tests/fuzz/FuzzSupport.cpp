#include "FuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <fstream>

#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>

#include "TestSupport.h"
#include "base/KernelHandle.h"

namespace fuzz {

namespace {

constexpr uint64_t kDefaultSeed = 0x7A9E57E1C0FFEE11ull;

uint64_t parse_number(const std::wstring& text, uint64_t fallback)
{
    if (text.empty()) return fallback;
    wchar_t* end = nullptr;
    const unsigned long long value = std::wcstoull(text.c_str(), &end, 0);
    return (end && *end == L'\0') ? value : fallback;
}

// FNV-1a: a stable number per parser name.
uint64_t name_hash(const char* name)
{
    uint64_t hash = 0xcbf29ce484222325ull;
    for (const char* p = name; *p; ++p) hash = (hash ^ static_cast<unsigned char>(*p)) * 0x100000001b3ull;
    return hash;
}

const int32_t kInterestingInts[] = {0, 1, -1, 2, 7, 0x7F, 0x80, 0xFF, 0x100, 0x7FFF, 0x8000, 0xFFFF, 0x10000,
                                    0x00010000, 0x00010001, 0x3FFFFFFF, 0x40000000, 0x7FFFFFFE, 0x7FFFFFFF,
                                    static_cast<int32_t>(0x80000000u), static_cast<int32_t>(0xFFFFFFFEu)};
const unsigned char kInterestingBytes[] = {0x00, 0x01, 0x7F, 0x80, 0xFF, 0xFE, '<', '>', '"', '&', '\r', '\n', 0xD8, 0xD9, 0xDA, 0xC0};

}  // namespace

uint64_t run_seed()
{
    return parse_number(testing_support::env(L"TAPESTREL_FUZZ_SEED"), kDefaultSeed);
}

int rounds()
{
    const uint64_t value = parse_number(testing_support::env(L"TAPESTREL_FUZZ_ROUNDS"), 1);
    return value < 1 ? 1 : (value > 100000 ? 100000 : static_cast<int>(value));
}

size_t announce(const char* parser, size_t base_cases)
{
    const size_t cases = base_cases * static_cast<size_t>(rounds());
    std::printf("[fuzz] %s: seed 0x%016llx, %zu cases\n", parser, static_cast<unsigned long long>(run_seed()), cases);
    std::fflush(stdout);
    return cases;
}

std::mt19937_64 case_generator(const char* parser, size_t index)
{
    std::seed_seq seq{static_cast<uint32_t>(run_seed()), static_cast<uint32_t>(run_seed() >> 32),
                      static_cast<uint32_t>(name_hash(parser)), static_cast<uint32_t>(name_hash(parser) >> 32),
                      static_cast<uint32_t>(index), static_cast<uint32_t>(static_cast<uint64_t>(index) >> 32)};
    return std::mt19937_64(seq);
}

std::string where(size_t index)
{
    char text[80];
    std::snprintf(text, sizeof(text), "seed 0x%016llx, case %zu", static_cast<unsigned long long>(run_seed()), index);
    return text;
}

size_t Mutator::below(size_t n)
{
    return n == 0 ? 0 : static_cast<size_t>(random_() % n);
}

bool Mutator::chance(unsigned percent)
{
    return below(100) < percent;
}

std::string Mutator::mutate(const std::string& input, const std::vector<std::string>& dictionary, size_t max_steps,
                            size_t* first_change)
{
    std::string data = input;
    const size_t steps = 1 + below(max_steps);
    for (size_t step = 0; step < steps; ++step) {
        const size_t at = below(data.size() + 1);
        switch (below(dictionary.empty() ? 7 : 9)) {
        case 0:  // bit flip
            if (!data.empty()) data[at % data.size()] ^= static_cast<char>(1u << below(8));
            break;
        case 1:  // interesting byte
            if (!data.empty())
                data[at % data.size()] = static_cast<char>(kInterestingBytes[below(sizeof(kInterestingBytes))]);
            break;
        case 2: {  // interesting little-endian int32, aligned to 4 like the list fields
            const size_t aligned = at & ~static_cast<size_t>(3);
            const int32_t value = kInterestingInts[below(sizeof(kInterestingInts) / sizeof(kInterestingInts[0]))];
            for (size_t i = 0; i < 4 && aligned + i < data.size(); ++i)
                data[aligned + i] = static_cast<char>((static_cast<uint32_t>(value) >> (8 * i)) & 0xFF);
            break;
        }
        case 3:  // delete a range
            data.erase(at, 1 + below(64));
            break;
        case 4: {  // duplicate a range
            const size_t length = 1 + below(64);
            const std::string piece = data.substr(at, length);
            data.insert(below(data.size() + 1), piece);
            break;
        }
        case 5: {  // random bytes
            std::string bytes(1 + below(16), '\0');
            for (char& c : bytes) c = static_cast<char>(below(256));
            data.insert(at, bytes);
            break;
        }
        case 6:  // truncate
            data.resize(at);
            break;
        case 7:  // dictionary token inserted
            data.insert(at, dictionary[below(dictionary.size())]);
            break;
        default:  // dictionary token overwriting
            data.replace(at, dictionary[below(dictionary.size())].size(), dictionary[below(dictionary.size())]);
            break;
        }
    }
    if (first_change) *first_change = first_difference(input, data);
    return data;
}

std::string mutated_case(const char* parser, size_t index, const std::string& input,
                         const std::vector<std::string>& dictionary, size_t max_steps, size_t* first_change)
{
    std::mt19937_64 random = case_generator(parser, index);
    return Mutator(random).mutate(input, dictionary, max_steps, first_change);
}

size_t first_difference(const std::string& a, const std::string& b)
{
    const size_t common = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < common; ++i)
        if (a[i] != b[i]) return i;
    return common;
}

bool overwrite_file(const std::wstring& path, const std::string& bytes)
{
    KernelHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr));
    DWORD written = 0;
    return file && (bytes.empty() || (WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                                                nullptr) &&
                                      written == bytes.size())) &&
           SetEndOfFile(file.get());
}

bool fetchable(const std::wstring& url)
{
    if (url.size() > 2083) return false;
    for (wchar_t c : url)
        if (c <= L' ' || c == 0x7F || c == L'"') return false;
    return _wcsnicmp(url.c_str(), L"http://", 7) == 0 || _wcsnicmp(url.c_str(), L"https://", 8) == 0;
}

uint64_t peak_memory_bytes()
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    if (GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters)) && counters.PeakWorkingSetSize != 0)
        return counters.PeakWorkingSetSize;
    // Wine maps the host's root to Z:, and /proc/self is then this process.
    std::ifstream status("Z:\\proc\\self\\status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.compare(0, 6, "VmHWM:") == 0) return std::strtoull(line.c_str() + 6, nullptr, 10) * 1024;
    }
    return 0;
}

void expect_peak_memory_below(uint64_t bytes)
{
    const uint64_t peak = peak_memory_bytes();
    EXPECT_GT(peak, 0u) << "the peak memory of the process cannot be read";
    EXPECT_LT(peak, bytes) << "peak memory " << peak / (1024 * 1024) << " MiB";
    std::printf("[fuzz] peak memory of the process so far: %llu MiB\n", static_cast<unsigned long long>(peak >> 20));
}

}  // namespace fuzz
