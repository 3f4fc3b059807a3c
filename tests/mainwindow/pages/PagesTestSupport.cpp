#include "PagesTestSupport.h"

#include <vector>

#include "store/AppSettings_CL.h"

namespace pages_testing {

void SettingsTest::SetUp()
{
    AppSettings.load(documents.path());
}

std::wstring SettingsTest::stored(const wchar_t* section, const wchar_t* key)
{
    return AppInifile.read_string(section, key, L"absent");
}

ModalUser::ModalUser(std::wstring caption, Script script)
    : caption_(std::move(caption)), script_(std::move(script)), thread_([this] { run(); })
{
}

ModalUser::~ModalUser()
{
    finish();
}

void ModalUser::finish()
{
    stop_ = true;
    if (thread_.joinable()) thread_.join();
}

void ModalUser::run()
{
    // Generous: a dialog that never comes must not hang the test, and the
    // test ends the wait itself when the code under test returns.
    for (int i = 0; i < 600 && !stop_; ++i) {
        const HWND dialog = FindWindowW(L"#32770", caption_.c_str());
        if (dialog && IsWindowVisible(dialog)) {
            found_ = true;
            script_(dialog);
            return;
        }
        Sleep(50);
    }
}

void click(HWND control)
{
    SendMessageW(control, BM_CLICK, 0, 0);
}

void choose(HWND list, int item)
{
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
    SendMessageW(GetParent(list), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
}

void type_text(HWND field, const std::wstring& text)
{
    SendMessageW(field, EM_SETSEL, 0, -1);
    for (wchar_t c : text) SendMessageW(field, WM_CHAR, c, 1);
}

std::wstring window_text(HWND window)
{
    std::vector<wchar_t> buffer(1024);
    const int length = GetWindowTextW(window, buffer.data(), static_cast<int>(buffer.size()));
    return std::wstring(buffer.data(), length > 0 ? length : 0);
}

}  // namespace pages_testing
