#include "Bench.h"

#include <algorithm>
#include <cstdio>

#include <windows.h>

namespace bench {

namespace {

void remove_tree(const std::wstring& path)
{
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring child = path + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) remove_tree(child);
            else DeleteFileW(child.c_str());
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(path.c_str());
}

}  // namespace

double seconds(const std::function<void()>& work)
{
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    work();
    QueryPerformanceCounter(&end);
    return static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double best_of(int runs, const std::function<void()>& work)
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i) best = std::min(best, seconds(work));
    return best;
}

void report(const std::string& name, double ours, double floor, double goal)
{
    const double ratio = floor > 0 ? ours / floor : 0;
    std::printf("%s: %.2f ms, %.2f ms, %.2fx, goal <= %.1fx%s\n", name.c_str(), ours * 1000, floor * 1000, ratio, goal,
                ratio <= goal ? "" : "  (missed)");
    std::fflush(stdout);
}

std::string millis(double seconds)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%.2f ms", seconds * 1000);
    return text;
}

std::string ratio(double ours, double floor)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%.2fx", floor > 0 ? ours / floor : 0);
    return text;
}

void note(const std::string& text)
{
    std::printf("  %s\n", text.c_str());
    std::fflush(stdout);
}

Scratch::Scratch()
{
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    path_ = std::wstring(base) + L"tapestrel-bench-" + std::to_wstring(GetCurrentProcessId());
    remove_tree(path_);
    CreateDirectoryW(path_.c_str(), nullptr);
}

Scratch::~Scratch()
{
    remove_tree(path_);
}

}  // namespace bench
