#include "tray/TaskTrayIcon_CL.h"

#include <cwchar>

namespace {

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
    wcsncpy(data_.szTip, tip_.c_str(), sizeof(data_.szTip) / sizeof(data_.szTip[0]) - 1);
}

bool TaskTrayIcon_CL::add()
{
    std::lock_guard<std::mutex> guard(lock_);
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
    bool attached = false;
    {
        std::lock_guard<std::mutex> guard(lock_);
        attached = data_.hWnd != nullptr;
    }
    if (attached) add();
}

void TaskTrayIcon_CL::show_busy(bool busy)
{
    std::lock_guard<std::mutex> guard(lock_);
    if (!data_.hWnd) return;
    data_.uFlags |= NIF_ICON;
    data_.hIcon = busy ? busy_ : normal_;
    Shell_NotifyIconW(NIM_MODIFY, &data_);
}

void TaskTrayIcon_CL::remove()
{
    std::lock_guard<std::mutex> guard(lock_);
    if (!data_.hWnd) return;
    Shell_NotifyIconW(NIM_DELETE, &data_);
    data_.hWnd = nullptr;
}
