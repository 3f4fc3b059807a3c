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
    release_icons();
}

// The resource holds pictures of 16 to 48 pixels; the nearest is scaled when none fits.
HICON TaskTrayIcon_CL::load(int id) const
{
    return static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, icon_size_, icon_size_, LR_DEFAULTCOLOR));
}

void TaskTrayIcon_CL::release_icons()
{
    if (normal_) DestroyIcon(normal_);
    if (busy_) DestroyIcon(busy_);
    normal_ = busy_ = nullptr;
}

void TaskTrayIcon_CL::set_dpi(const DpiScale& scale)
{
    const int size = scale.metric(SM_CXSMICON);
    if (size == icon_size_ && normal_) return;
    icon_size_ = size;
    // The record shows the old picture until the new one has taken its place.
    HICON old_normal = normal_;
    HICON old_busy = busy_;
    normal_ = load(kNormalIcon);
    busy_ = load(kBusyIcon);
    data_.hIcon = busy_shown_ ? busy_ : normal_;
    modify(NIF_ICON);
    if (old_normal) DestroyIcon(old_normal);
    if (old_busy) DestroyIcon(old_busy);
}

void TaskTrayIcon_CL::attach(HWND window)
{
    set_dpi(DpiScale::of(window));
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
            const int choice = MessageBoxW(data_.hWnd, L"タスクトレイへアイコンを追加できませんでした。", tip_.c_str(),
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
    busy_shown_ = busy;
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
