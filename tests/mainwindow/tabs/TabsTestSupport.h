#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <windows.h>

#include "TestSupport.h"
#include "UiTestSupport.h"
#include "store/ImageItem_CL.h"
#include "base/KernelHandle.h"
#include "mainwindow/MainWindow_CL.h"

namespace tabs_testing {

using ui_testing::local_record;
using ui_testing::tab_text;
ImageItem_CL service_record(const std::wstring& key, const std::wstring& picture_url);
void write_list(const std::wstring& path, const std::vector<ImageItem_CL>& items);
std::vector<ImageItem_CL> read_list(const std::wstring& path);

// What a tracked item menu showed: the id, greyed state and text of each row.
struct MenuRow {
    UINT id;
    bool greyed;
    std::wstring text;
};
// Opens a menu with `open` (which tracks it on this thread), records its rows
// once it waits for input and closes it: without a command, or by choosing
// the row with id `choose` from the keyboard, as a user would.
std::vector<MenuRow> capture_menu(const std::function<void()>& open, UINT choose = 0);
// A service answer listing one photo (a JPEG original, no picture address)
// per title, the title doubling as its id, in a "photos" or "photoset" element.
std::string photos_answer(const std::vector<std::string>& titles, const std::string& element = "photos");
// A service answer with the given content.
std::string answer(const std::string& content);
std::vector<std::wstring> titles_of(const std::vector<ImageItem_CL>& items);
// A search box's history as the settings file holds it, newest first.
std::vector<std::wstring> stored_history(const wchar_t* section);
void store_history(const wchar_t* section, const std::vector<std::wstring>& entries);

// The real main window over a settings folder of its own. The fixture holds
// the tray process's instance mutex, so the window starts no tray process,
// and points every service address at a folder of its own on the loopback
// stand-in.
class MainWindowFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    void open();
    void close();
    HWND hwnd() const { return window_->window(); }
    HWND strip() const;
    HWND list_window(int tab) const;
    void select_tab(int index);
    int list_count(int tab) const;
    // Waits until the tab's list shows count rows.
    bool wait_for_rows(int tab, int count) const;
    void select_rows(int tab, const std::vector<int>& rows, int caret);
    void command(WPARAM id) { SendMessageW(hwnd(), WM_COMMAND, id, 0); }
    // Fetches the selected record into the preview and waits for its picture.
    bool get_photo();
    // "壁紙に設定する", then waits until its install is over.
    bool set_as_wallpaper();
    // The records the tab's list holds, in list order.
    std::vector<ImageItem_CL> rows(int tab) const;
    // Types text into a search tab's box and presses Enter.
    void enter_text(int tab, const std::wstring& text);
    // Overwrites a tab's strip text, so that the next caption refresh (the end
    // of a load) shows; waits for the tab's caption to read caption again.
    void mark_caption(int tab);
    bool wait_for_caption(int tab, const std::wstring& caption) const;
    // Serves the service's answer to every query with this parameter ("text=a").
    void serve_answer_for(const std::string& parameter, const std::string& body);
    // The service queries received so far (with the address switches given to
    // point_service_at), e.g. "services/rest/?method=...".
    std::vector<std::string> requests() const;
    // Points the service at this test's folder behind switches ("_gate").
    void point_service_at(const std::wstring& switches);
    void open_gate();
    std::wstring requests_folder() const;

    testing_support::TempFolder documents_;
    std::wstring service_folder_;
    std::wstring service_switches_;
    std::wstring picture_ = documents_.file(L"picture.jpg");
    KernelHandle tray_mutex_;
    testing_support::GdiplusSession gdiplus_;
    std::unique_ptr<MainWindow_CL> window_;
};

}  // namespace tabs_testing
