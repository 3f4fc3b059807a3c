#include "ProcessFootprint.h"

#include <tlhelp32.h>
#include <winternl.h>

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <utility>
#include <vector>

#include "base/KernelHandle.h"

namespace {

// The host's clock ticks per second of /proc/<pid>/stat (USER_HZ on Linux).
constexpr double kTicksPerSecond = 100.0;
constexpr ULONG kSystemProcessInformation = 5;
constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004L);

std::wstring proc_path(unsigned long pid, const wchar_t* entry)
{
    return L"Z:\\proc\\" + std::to_wstring(pid) + L"\\" + entry;
}

// /proc files announce no size: read until the end.
std::string read_entry(const std::wstring& path)
{
    std::string text;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return text;
    char chunk[16384];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) text.append(chunk, got);
    CloseHandle(file);
    return text;
}

// The NUL-separated fields of cmdline or environ.
std::vector<std::string> fields(const std::string& text)
{
    std::vector<std::string> result;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\0', start);
        if (end == std::string::npos) end = text.size();
        result.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return result;
}

std::string narrow(const std::wstring& text)
{
    std::string result;
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (size > 1) {
        result.resize(size - 1);
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &result[0], size, nullptr, nullptr);
    }
    return result;
}

bool same_text_ignoring_case(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && _strnicmp(a.c_str(), b.c_str(), a.size()) == 0;
}

std::string file_name_of(std::string path)
{
    const size_t quote = path.find_first_not_of('"');
    path = quote == std::string::npos ? std::string() : path.substr(quote);
    while (!path.empty() && path.back() == '"') path.pop_back();
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool command_line_matches(unsigned long pid, const std::string& program, const std::string& arguments)
{
    const std::vector<std::string> argv = fields(read_entry(proc_path(pid, L"cmdline")));
    if (argv.empty() || !same_text_ignoring_case(file_name_of(argv[0]), program)) return false;
    std::string rest;
    for (size_t i = 1; i < argv.size(); ++i) {
        if (argv[i].empty()) continue;  // Wine pads the argument area with empty fields
        if (!rest.empty()) rest += ' ';
        rest += argv[i];
    }
    return rest == arguments;
}

std::string environment_value(unsigned long pid, const std::string& name)
{
    const std::string prefix = name + "=";
    for (const std::string& entry : fields(read_entry(proc_path(pid, L"environ"))))
        if (entry.compare(0, prefix.size(), prefix) == 0) return entry.substr(prefix.size());
    return std::string();
}

// The fields of /proc/<pid>/stat after the command name, which may hold spaces:
// index 0 is field 3 (the state).
std::vector<std::string> stat_fields(unsigned long pid)
{
    const std::string text = read_entry(proc_path(pid, L"stat"));
    std::vector<std::string> result;
    const size_t paren = text.rfind(')');
    if (paren == std::string::npos) return result;
    std::istringstream stream(text.substr(paren + 1));
    std::string field;
    while (stream >> field) result.push_back(field);
    return result;
}

unsigned long long stat_number(const std::vector<std::string>& stat, size_t field)
{
    return field - 3 < stat.size() ? std::strtoull(stat[field - 3].c_str(), nullptr, 10) : 0;
}

double rollup_kib(const std::string& rollup, const char* name)
{
    const std::string label = std::string("\n") + name + ":";
    const size_t at = rollup.find(label);
    return at == std::string::npos ? -1 : std::strtod(rollup.c_str() + at + label.size(), nullptr);
}

// One host mapping of /proc/<pid>/smaps with its private resident pages.
struct Mapping {
    uintptr_t start = 0;
    uintptr_t end = 0;
    std::string path;
    double private_kib = 0;
};

// "start-end perms offset device inode path"; false for the field lines.
bool parse_mapping_header(const std::string& line, Mapping& out)
{
    char* end = nullptr;
    const unsigned long long start = std::strtoull(line.c_str(), &end, 16);
    if (end == line.c_str() || *end != '-') return false;
    const unsigned long long stop = std::strtoull(end + 1, &end, 16);
    if (*end != ' ') return false;
    std::istringstream fields(end);
    std::string perms, offset, device, inode;
    fields >> perms >> offset >> device >> inode;
    std::getline(fields, out.path);
    const size_t first = out.path.find_first_not_of(' ');
    out.path = first == std::string::npos ? std::string() : out.path.substr(first);
    out.start = static_cast<uintptr_t>(start);
    out.end = static_cast<uintptr_t>(stop);
    out.private_kib = 0;
    return true;
}

std::vector<Mapping> mappings_of(const std::string& smaps)
{
    std::vector<Mapping> result;
    std::istringstream lines(smaps);
    std::string line;
    Mapping mapping;
    while (std::getline(lines, line)) {
        if (parse_mapping_header(line, mapping)) result.push_back(mapping);
        else if (!result.empty() && (line.rfind("Private_Clean:", 0) == 0 || line.rfind("Private_Dirty:", 0) == 0))
            result.back().private_kib += std::strtod(line.c_str() + line.find(':') + 1, nullptr);
    }
    return result;
}

using Range = std::pair<uintptr_t, uintptr_t>;

// The TEB's DeallocationStack: the lowest address of the thread's stack reservation.
#ifdef _WIN64
constexpr size_t kDeallocationStackOffset = 0x1478;
#else
constexpr size_t kDeallocationStackOffset = 0xE0C;
#endif

struct ThreadBasicInformation {
    LONG exit_status;
    PVOID teb;
    HANDLE client[2];
    ULONG_PTR affinity;
    LONG priority;
    LONG base_priority;
};

// From the bottom of its reservation to its base, read from the thread's TEB.
bool thread_stack(HANDLE process, DWORD thread_id, Range& out)
{
    using Query = NTSTATUS(NTAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<Query>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationThread"));
    const KernelHandle thread(OpenThread(THREAD_QUERY_INFORMATION, FALSE, thread_id));
    ThreadBasicInformation basic{};
    if (!query || !thread || query(thread.get(), 0, &basic, sizeof(basic), nullptr) < 0 || !basic.teb) return false;
    NT_TIB tib{};
    void* bottom = nullptr;
    const auto teb = static_cast<const char*>(basic.teb);
    if (!ReadProcessMemory(process, teb, &tib, sizeof(tib), nullptr) ||
        !ReadProcessMemory(process, teb + kDeallocationStackOffset, &bottom, sizeof(bottom), nullptr))
        return false;
    out = {reinterpret_cast<uintptr_t>(bottom), reinterpret_cast<uintptr_t>(tib.StackBase)};
    return out.first < out.second;
}

std::vector<Range> thread_stacks(HANDLE process)
{
    std::vector<Range> stacks;
    const DWORD process_id = GetProcessId(process);
    const KernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    if (!snapshot || !Thread32First(snapshot.get(), &entry)) return stacks;
    do {
        Range stack;
        if (entry.th32OwnerProcessID == process_id && thread_stack(process, entry.th32ThreadID, stack)) stacks.push_back(stack);
    } while (Thread32Next(snapshot.get(), &entry));
    return stacks;
}

bool is_unix_library(const std::string& path)
{
    const size_t at = path.rfind(".so");
    return at != std::string::npos && (at + 3 == path.size() || path[at + 3] == '.');
}

// Adds the mapping to the share it belongs to. Wine keeps a thread's own
// stack in the same mapping as the Windows stack, so the whole mapping counts.
void add_mapping(HANDLE process, const std::vector<Range>& stacks, const Mapping& mapping, ProcessFootprint::Regions& out)
{
    if (is_unix_library(mapping.path)) {
        out.unix_libs_kib += mapping.private_kib;
        return;
    }
    for (const Range& stack : stacks)
        if (stack.first < mapping.end && mapping.start < stack.second) {
            out.stacks_kib += mapping.private_kib;
            return;
        }
    MEMORY_BASIC_INFORMATION info{};
    const bool windows = mapping.path != "[heap]" &&
                         VirtualQueryEx(process, reinterpret_cast<void*>(mapping.start), &info, sizeof(info)) == sizeof(info) &&
                         info.State != MEM_FREE;
    if (!windows) out.unix_memory_kib += mapping.private_kib;
    else if (info.Type == MEM_IMAGE) out.images_kib += mapping.private_kib;
    else if (info.Type == MEM_MAPPED) out.mapped_kib += mapping.private_kib;
    else out.other_kib += mapping.private_kib;
}

std::wstring own_environment(const wchar_t* name)
{
    wchar_t value[32768];
    const DWORD length = GetEnvironmentVariableW(name, value, 32768);
    return length > 0 && length < 32768 ? std::wstring(value, length) : std::wstring();
}

}  // namespace

bool process_counts(DWORD process_id, unsigned long& handles, unsigned long& threads)
{
    using Query = NTSTATUS(NTAPI*)(ULONG, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<Query>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation"));
    if (!query) return false;
    std::vector<unsigned char> buffer(1 << 18);
    NTSTATUS status;
    ULONG needed = 0;
    while ((status = query(kSystemProcessInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed)) ==
           kInfoLengthMismatch)
        buffer.resize(buffer.size() * 2);
    if (status < 0) return false;
    for (size_t offset = 0;;) {
        const auto* entry = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(buffer.data() + offset);
        if (static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(entry->UniqueProcessId)) == process_id) {
            handles = entry->HandleCount;
            threads = entry->NumberOfThreads;
            return true;
        }
        if (entry->NextEntryOffset == 0) return false;
        offset += entry->NextEntryOffset;
    }
}

ProcessFootprint::ProcessFootprint(DWORD process_id, const std::wstring& program_name, const std::wstring& arguments)
    : process_id_(process_id)
{
    // The Windows process id is not the host's, so the process is found by its
    // command line and its Wine prefix (other prefixes may run the same
    // program); of several matches the youngest is the one just started.
    const std::string program = narrow(program_name);
    const std::string args = narrow(arguments);
    const std::string prefix = narrow(own_environment(L"WINEPREFIX"));
    unsigned long long youngest = 0;
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW(L"Z:\\proc\\*", &entry);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        if (entry.cFileName[0] < L'0' || entry.cFileName[0] > L'9') continue;
        const unsigned long pid = std::wcstoul(entry.cFileName, nullptr, 10);
        if (!command_line_matches(pid, program, args) || environment_value(pid, "WINEPREFIX") != prefix) continue;
        const unsigned long long started = stat_number(stat_fields(pid), 22);
        if (started >= youngest) {
            youngest = started;
            host_pid_ = pid;
        }
    } while (FindNextFileW(find, &entry));
    FindClose(find);
}

bool ProcessFootprint::sample(Sample& out) const
{
    if (!found() || !process_counts(process_id_, out.handles, out.threads)) return false;
    const std::string rollup = read_entry(proc_path(host_pid_, L"smaps_rollup"));
    const double clean = rollup_kib(rollup, "Private_Clean");
    const double dirty = rollup_kib(rollup, "Private_Dirty");
    out.pss_kib = rollup_kib(rollup, "Pss");
    const std::vector<std::string> stat = stat_fields(host_pid_);
    if (clean < 0 || dirty < 0 || out.pss_kib < 0 || stat.empty()) return false;
    out.private_kib = clean + dirty;
    out.cpu_seconds = static_cast<double>(stat_number(stat, 14) + stat_number(stat, 15)) / kTicksPerSecond;
    return true;
}

bool ProcessFootprint::regions(HANDLE process, Regions& out) const
{
    out = Regions();
    if (!found()) return false;
    const std::vector<Mapping> mappings = mappings_of(read_entry(proc_path(host_pid_, L"smaps")));
    const std::vector<Range> stacks = thread_stacks(process);
    if (mappings.empty() || stacks.empty()) return false;
    out.stacks = static_cast<unsigned long>(stacks.size());
    for (const Mapping& mapping : mappings) add_mapping(process, stacks, mapping, out);
    return true;
}
