// Runs every benchmark figure; see Bench.h for what a line means.
#include <windows.h>

#include "Bench.h"
#include "Figures.h"
#include "app/GdiplusInclude.h"

int wmain()
{
    CoInitialize(nullptr);
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    {
        bench::Scratch scratch;
        figure_list_files(scratch.path());
        figure_draw(scratch.path());
        figure_install(scratch.path());
        figure_folder_scan(scratch.path());
        figure_photo_answer();
        // Before the main window of the candidates figure: both register the
        // main window's class, and a closed main window leaves a quit message.
        figure_tray_footprint(scratch.path());
        figure_candidates_tab(scratch.path());
    }
    Gdiplus::GdiplusShutdown(token);
    CoUninitialize();
    return 0;
}
