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
        figure_candidates_tab(scratch.path());
    }
    Gdiplus::GdiplusShutdown(token);
    CoUninitialize();
    return 0;
}
