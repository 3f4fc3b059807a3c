// Runs every benchmark figure, or those named on the command line ("list",
// "draw", "install", "monitors", "thumbnails", "answer", "service_bytes", "tray", "library", "candidates",
// "window_stall"); see Bench.h for
// what a line means.
#include <windows.h>

#include <cwchar>

#include "Bench.h"
#include "Figures.h"
#include "base/GdiplusInclude.h"

namespace {

bool wanted(int argc, wchar_t** argv, const wchar_t* name)
{
    if (argc < 2) return true;
    for (int i = 1; i < argc; ++i) {
        if (wcscmp(argv[i], name) == 0) return true;
    }
    return false;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    CoInitialize(nullptr);
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    {
        bench::Scratch scratch;
        if (wanted(argc, argv, L"list")) figure_list_files(scratch.path());
        if (wanted(argc, argv, L"draw")) figure_draw(scratch.path());
        if (wanted(argc, argv, L"install")) figure_install(scratch.path());
        if (wanted(argc, argv, L"monitors")) figure_monitors(scratch.path());
        if (wanted(argc, argv, L"thumbnails")) figure_thumbnails(scratch.path());
        if (wanted(argc, argv, L"answer")) figure_photo_answer();
        if (wanted(argc, argv, L"service_bytes")) figure_service_bytes(scratch.path());
        // Before the main window of the candidates figure: both register the
        // main window's class, and a closed main window leaves a quit message.
        if (wanted(argc, argv, L"tray")) figure_tray_footprint(scratch.path());
        if (wanted(argc, argv, L"library")) figure_library(scratch.path());
        if (wanted(argc, argv, L"candidates")) figure_candidates_tab(scratch.path());
        if (wanted(argc, argv, L"window_stall")) figure_window_stall(scratch.path());
    }
    Gdiplus::GdiplusShutdown(token);
    CoUninitialize();
    return 0;
}
