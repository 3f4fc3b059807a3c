#pragma once
#include <cstdio>
#include <string>
#include <vector>

#include <windows.h>

// Fault suites run a bounded number of rounds in the normal test run and many
// more when TAPESTREL_ROBUST_LONG is set (to anything but 0).
namespace robust {

bool long_mode();
// The count for this run: `normal`, or `longer` in the long mode.
int rounds(int normal, int longer);

// A fresh program folder (fresh_program_folder) whose tray draws from the
// candidates alone and takes every photo of the stand-in as a candidate,
// `cand_add_max` choosing how many a run adds; the service folder.
std::wstring candidate_service(const std::wstring& prefix, int cand_add_max);

// The figures of a suite, one line in the test output: "[figures] <text>".
void report(const char* format, ...);

// Seconds since an earlier GetTickCount64().
double seconds_since(ULONGLONG start);

}  // namespace robust
