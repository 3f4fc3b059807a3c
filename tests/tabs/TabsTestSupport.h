#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <windows.h>

#include "TestSupport.h"
#include "UiTestSupport.h"
#include "store/ImageItem_CL.h"
#include "store/KernelHandle.h"
#include "ui/MainWindow_CL.h"

namespace tabs_testing {

using ui_testing::local_record;
using ui_testing::tab_text;
ImageItem_CL service_record(const std::wstring& key, const std::wstring& picture_url);
void write_list(const std::wstring& path, const std::vector<ImageItem_CL>& items);
std::vector<ImageItem_CL> read_list(const std::wstring& path);

// What a tracked item menu showed: the id and greyed state of each row.
struct MenuRow {
    UINT id;
    bool greyed;
};
// Opens a menu with `open` (which tracks it on this thread), records its rows
// once it waits for input and closes it without a command.
std::vector<MenuRow> capture_menu(const std::function<void()>& open);

// The real main window over a settings folder of its own. The fixture holds
// the tray process's instance mutex, so the window starts no tray process.
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

    testing_support::TempFolder documents_;
    std::wstring picture_ = documents_.file(L"picture.jpg");
    KernelHandle tray_mutex_;
    testing_support::GdiplusSession gdiplus_;
    std::unique_ptr<MainWindow_CL> window_;
};

}  // namespace tabs_testing
