#include "tray/TaskTrayIcon_CL.h"

#include <cwchar>

namespace {

template <size_t N>
void copy_text(wchar_t (&field)[N], const std::wstring& text)
{
    wcsncpy(field, text.c_str(), N - 1);
    field[N - 1] = L'\0';
}

constexpr int kRetries = 60;
constexpr DWORD kRetryPauseMs = 2000;

}  // namespace

TaskTrayIcon_CL::TaskTrayIcon_CL(const std::wstring& tip)
    : taskbar_created_(RegisterWindowMessageW(L"TaskbarCreated")), tip_(tip)
{
    data_.cbSize = sizeof(data_);
    data_.uID = 0;
}

TaskTrayIcon_CL::~TaskTrayIcon_CL()
{
    remove();
    if (normal_) DestroyIcon(normal_);
    if (busy_) DestroyIcon(busy_);
}

HICON TaskTrayIcon_CL::load(int id)
{
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON,
                                         GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
}

void TaskTrayIcon_CL::attach(HWND window)
{
    if (!normal_) normal_ = load(kNormalIcon);
    if (!busy_) busy_ = load(kBusyIcon);
    data_.hWnd = window;
    data_.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
    data_.uCallbackMessage = kNotifyMessage;
    data_.hIcon = normal_;
    copy_text(data_.szTip, tip_);
}

bool TaskTrayIcon_CL::add()
{
    int left = kRetries;
    while (!Shell_NotifyIconW(NIM_ADD, &data_)) {
        if (GetLastError() != ERROR_TIMEOUT && --left <= 0) {
            const int choice = MessageBoxW(nullptr, L"タスクトレイへアイコンを追加できませんでした。", tip_.c_str(),
                                           MB_RETRYCANCEL);
            if (choice != IDRETRY) {
                data_.hWnd = nullptr;
                return false;
            }
            left = kRetries;
        }
        Sleep(kRetryPauseMs);
    }
    return true;
}

void TaskTrayIcon_CL::restore()
{
    if (data_.hWnd) add();
}

void TaskTrayIcon_CL::show_busy(bool busy)
{
    data_.hIcon = busy ? busy_ : normal_;
    modify(NIF_ICON);
}

void TaskTrayIcon_CL::set_tip(const std::wstring& tip)
{
    copy_text(data_.szTip, tip);
    modify(NIF_TIP);
}

std::wstring TaskTrayIcon_CL::tip()
{
    return data_.szTip;
}

void TaskTrayIcon_CL::show_balloon(const std::wstring& title, const std::wstring& text)
{
    copy_text(data_.szInfoTitle, title);
    copy_text(data_.szInfo, text);
    data_.dwInfoFlags = NIIF_WARNING;
    modify(NIF_INFO);
    // Shown once: a later modify or a re-add after the shell restarts must not repeat it.
    data_.uFlags &= ~NIF_INFO;
}

void TaskTrayIcon_CL::modify(UINT flags)
{
    data_.uFlags |= flags;
    if (data_.hWnd) Shell_NotifyIconW(NIM_MODIFY, &data_);
}

void TaskTrayIcon_CL::remove()
{
    if (!data_.hWnd) return;
    Shell_NotifyIconW(NIM_DELETE, &data_);
    data_.hWnd = nullptr;
}
