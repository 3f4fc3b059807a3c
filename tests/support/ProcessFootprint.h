#pragma once
#include <string>

#include <windows.h>

// What a running program of this Wine prefix costs, measured from outside.
// Wine leaves a process's own counters at zero (GetProcessMemoryInfo,
// GetProcessHandleCount) or wrong (GetProcessTimes of another process), so
// memory and CPU time come from the host's /proc entry of the Unix process
// that runs it (reachable as Z:\proc), and the handle count from the
// wineserver's process list (NtQuerySystemInformation), which Wine fills in.
// Shared by the soak test and the benchmark.
class ProcessFootprint {
public:
    struct Sample {
        double private_kib = 0;  // resident pages of its own: Private_Clean + Private_Dirty
        double pss_kib = 0;      // proportional set size: shared pages split among their users
        unsigned long handles = 0;
        unsigned long threads = 0;
        double cpu_seconds = 0;  // user + system time of all its threads
    };

    // Where the private resident pages lie, to explain a figure.
    struct Regions {
        double images_kib = 0;        // Windows program and DLL images
        double mapped_kib = 0;        // files mapped through Windows (code page tables, ...)
        double stacks_kib = 0;        // mappings holding a thread's stack (with Wine's own stack for it)
        double other_kib = 0;         // other Windows memory: heaps, GDI and other private allocations
        double unix_libs_kib = 0;     // Wine's and the host's shared libraries
        double unix_memory_kib = 0;   // the host's heap and other memory outside the Windows view
        unsigned long stacks = 0;     // thread stacks found
    };

    // Finds the host process of the Windows process `process_id`, started as
    // `program_name` (the file name its command line begins with, case
    // ignored) followed by `arguments` (empty for none) in this Wine prefix.
    ProcessFootprint(DWORD process_id, const std::wstring& program_name, const std::wstring& arguments = L"");

    bool found() const { return host_pid_ != 0; }
    unsigned long host_pid() const { return host_pid_; }
    // False when the process is gone or an entry could not be read.
    bool sample(Sample& out) const;
    // Sorts every host mapping of the process by what Windows says it is;
    // `process` needs query and read access. False when it could not be read.
    bool regions(HANDLE process, Regions& out) const;

private:
    DWORD process_id_;
    unsigned long host_pid_ = 0;
};

// The wineserver's handle and thread counts of a process; false when it is not running.
bool process_counts(DWORD process_id, unsigned long& handles, unsigned long& threads);
