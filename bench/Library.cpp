// A whole photo library as the local folder: 30,000 pictures in nested
// folders, made at bench time from a few distinct small JPEGs linked under
// many names, and removed afterwards.
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include <windows.h>
#include <commctrl.h>

#include "Bench.h"
#include "Figures.h"
#include "TestSupport.h"
#include "app/Application.h"
#include "base/FindFile_CL.h"
#include "base/KernelHandle.h"
#include "mainwindow/MainWindow_CL.h"
#include "mainwindow/MyFlickerListBox_CL.h"
#include "mainwindow/tabs/SearchTabView_CL.h"
#include "store/AppSettings_CL.h"
#include "winui/MainWindowBase_CL.h"
#include "winui/Tab_CL.h"

namespace {

constexpr int kYears = 3;
constexpr int kAlbums = 10;
constexpr int kPerAlbum = 1000;
constexpr int kPictures = kYears * kAlbums * kPerAlbum;
constexpr int kLocalTab = 7;
constexpr int kRuns = 5;

// Hard links cost no disk and no copying time; a file system without them gets copies.
bool place(const std::wstring& sample, const std::wstring& path)
{
    return CreateHardLinkW(path.c_str(), sample.c_str(), nullptr) || CopyFileW(sample.c_str(), path.c_str(), FALSE);
}

}  // namespace

bool make_library(const std::wstring& folder, const std::wstring& library)
{
    static const int sizes[][2] = {{1024, 768}, {800, 600}, {768, 1024}, {640, 480}, {1280, 720}, {600, 800}};
    std::vector<std::wstring> samples;
    for (const auto& size : sizes) {
        samples.push_back(folder + L"\\sample" + std::to_wstring(samples.size()) + L".jpg");
        if (make_photo_jpeg(samples.back(), size[0], size[1]).empty()) return false;
    }
    CreateDirectoryW(library.c_str(), nullptr);
    for (int year = 0; year < kYears; ++year) {
        const std::wstring year_folder = library + L"\\" + std::to_wstring(2019 + year);
        CreateDirectoryW(year_folder.c_str(), nullptr);
        for (int album = 0; album < kAlbums; ++album) {
            const std::wstring album_folder = year_folder + L"\\album " + std::to_wstring(album);
            CreateDirectoryW(album_folder.c_str(), nullptr);
            for (int n = 0; n < kPerAlbum; ++n) {
                const std::wstring name = L"\\IMG_" + std::to_wstring(10000 + n) + (n % 9 ? L".jpg" : L".JPEG");
                if (!place(samples[static_cast<size_t>(n) % samples.size()], album_folder + name)) return false;
            }
        }
    }
    return true;
}

namespace {

// Types the folder into the tab's box and presses Enter, as a user does.
void enter_folder(MainWindow_CL& window, const std::wstring& folder)
{
    HistoryComboBox_CL& box = static_cast<SearchTabView_CL*>(window.tab_view(kLocalTab))->history_box();
    box.set_text(folder);
    const HWND edit = reinterpret_cast<HWND>(SendMessageW(box.window(), CBEM_GETEDITCONTROL, 0, 0));
    SendMessageW(edit, WM_CHAR, VK_RETURN, 0);
}

// The caption shows the count, and every row of the first screen is painted
// with its thumbnail.
bool first_screen_shown(MainWindow_CL& window, const std::wstring& caption)
{
    MyFlickerListBox_CL& list = *window.tab_view(kLocalTab)->list();
    if (Tab_CL::tab_text(window.tab()->window(), kLocalTab) != caption) return false;
    RECT client{};
    GetClientRect(list.window(), &client);
    const LRESULT row_height = SendMessageW(list.window(), LB_GETITEMHEIGHT, 0, 0);
    const size_t rows = row_height > 0 ? static_cast<size_t>((client.bottom + row_height - 1) / row_height) : 1;
    return list.cached_count() >= rows;
}

void figure_local_tab(const std::wstring& folder, const std::wstring& library, double walk)
{
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_USEREX_CLASSES};
    InitCommonControlsEx(&controls);
    AppSettings.load(folder);
    // Held so that the window starts no tray process of its own.
    const KernelHandle tray_mutex(CreateMutexW(nullptr, FALSE, app::instance_mutex_name(app::ProcessKind::Tray).c_str()));
    const std::wstring empty = folder + L"\\empty";
    CreateDirectoryW(empty.c_str(), nullptr);
    double best = 1e300;
    {
        MainWindow_CL window;
        if (!window.create()) {
            bench::note("library: the main window could not be created");
            return;
        }
        ShowWindow(window.window(), SW_SHOW);
        select_main_tab(window, kLocalTab);
        const std::wstring caption = window.tab_view(kLocalTab)->caption();
        for (int run = 0; run < kRuns; ++run) {
            enter_folder(window, empty);
            pump_messages_until([&] { return Tab_CL::tab_text(window.tab()->window(), kLocalTab) == caption + L"(0)"; });
            best = std::min(best, bench::seconds([&] {
                enter_folder(window, library);
                pump_messages_until([&] { return first_screen_shown(window, caption + L"(" + std::to_wstring(kPictures) + L")"); });
            }));
        }
        SendMessageW(window.window(), WM_CLOSE, 0, 0);
    }
    // The closed window leaves its quit message and its class for the next figure.
    MSG quit;
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    UnregisterClassW(MainWindowBase_CL::kClassName, GetModuleHandleW(nullptr));
    bench::report("local-folder tab, first screen of 30,000 pictures", best, walk, 5.0);
}

}  // namespace

void figure_library(const std::wstring& folder)
{
    const std::wstring library = folder + L"\\library";
    if (make_library(folder, library)) {
        // The floor: the names alone, walked recursively, as the file system gives them.
        FindFile_CL().scan(library + L"\\*.*", true);
        const double walk = bench::best_of(kRuns, [&] { FindFile_CL().scan(library + L"\\*.*", true); });
        bench::note("library: " + std::to_string(kPictures) + " JPEGs in " + std::to_string(kYears * kAlbums) +
                    " nested folders; walking their names takes " + bench::millis(walk));
        figure_library_tray(library, walk);
        figure_local_tab(folder, library, walk);
    } else {
        bench::note("library: the picture folder could not be made");
    }
    testing_support::remove_tree(library);
}
