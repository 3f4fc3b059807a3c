// The release packages as a user meets them, in a Wine prefix of their own
// (tests/support/package_fixture.py made the packages and the prefix): the
// installer run silently, over a running tray and away again, and the
// portable archive unpacked and started.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "TestSupport.h"
#include "base/ComPtr.h"
#include "base/TextConvert.h"
#include "base/Version.h"
#include "store/AppSettings_CL.h"
#include "store/ImageItem_CL.h"
#include "store/SettingsKeys.h"
#include "store/WallPaperItemBase_CL.h"

using namespace testing_support;

namespace {

constexpr const wchar_t* kUninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tapestrel";
constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::vector<std::wstring> kShippedFiles = {L"Tapestrel.exe", L"menu_image.bmp", L"err_image.JPG",
                                                 L"README.ja.txt", L"LICENSE.txt"};
constexpr DWORD kInstallerTimeout = 120000;

std::wstring folder(int csidl)
{
    wchar_t path[MAX_PATH] = {};
    return SUCCEEDED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) ? path : L"";
}

std::wstring install_folder() { return folder(CSIDL_LOCAL_APPDATA) + L"\\Programs\\Tapestrel"; }
std::wstring installed(const std::wstring& name) { return install_folder() + L"\\" + name; }
std::wstring shortcut() { return folder(CSIDL_PROGRAMS) + L"\\Tapestrel.lnk"; }
std::wstring data_folder() { return folder(CSIDL_PERSONAL) + L"\\Tapestrel"; }
std::wstring packaged(const std::wstring& name) { return env(L"TAPESTREL_PACKAGE_STAGE") + L"\\" + name; }
std::wstring quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

bool key_exists(const wchar_t* key)
{
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
    RegCloseKey(opened);
    return true;
}

// Every file below root, by relative path, with its bytes.
void snapshot(const std::wstring& root, const std::wstring& relative, std::map<std::wstring, std::vector<unsigned char>>& files)
{
    WIN32_FIND_DATAW found{};
    const std::wstring base = relative.empty() ? root : root + L"\\" + relative;
    HANDLE search = FindFirstFileW((base + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring path = relative.empty() ? name : relative + L"\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            snapshot(root, path, files);
        else
            files[path] = read_file(root + L"\\" + path);
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

std::map<std::wstring, std::vector<unsigned char>> snapshot(const std::wstring& root)
{
    std::map<std::wstring, std::vector<unsigned char>> files;
    snapshot(root, L"", files);
    return files;
}

void expect_same_files(const std::wstring& folder_path)
{
    for (const std::wstring& name : kShippedFiles) {
        const std::vector<unsigned char> expected = read_file(packaged(name));
        ASSERT_FALSE(expected.empty()) << "not packaged: " << wide_to_utf8(name);
        EXPECT_EQ(read_file(folder_path + L"\\" + name), expected) << wide_to_utf8(name);
    }
}

// The shortcut's target and arguments, read through the shell as Explorer
// does: the target from its item list (Wine keeps the plain path of a link in
// the ANSI code page only, which has no room for a Japanese user name).
bool read_shortcut(const std::wstring& path, std::wstring& target, std::wstring& arguments)
{
    ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                link.receive_void())))
        return false;
    ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.receive_void())) ||
        FAILED(file->Load(path.c_str(), STGM_READ)))
        return false;
    PIDLIST_ABSOLUTE items = nullptr;
    if (FAILED(link->GetIDList(&items)) || !items) return false;
    wchar_t text[MAX_PATH * 2] = {};
    const bool resolved = SHGetPathFromIDListW(items, text) != FALSE;
    CoTaskMemFree(items);
    if (!resolved) return false;
    target = text;
    if (FAILED(link->GetArguments(text, MAX_PATH * 2))) return false;
    arguments = text;
    return true;
}

std::wstring process_image(DWORD process_id)
{
    KernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process_id));
    wchar_t path[MAX_PATH * 2] = {};
    DWORD size = MAX_PATH * 2;
    if (!process || !QueryFullProcessImageNameW(process.get(), 0, path, &size)) return L"";
    return path;
}

// A running tray: its window, its process (waitable) and the executable it runs.
struct Tray {
    HWND window = nullptr;
    KernelHandle process;
    std::wstring image;
};

Tray find_tray(DWORD timeout_ms)
{
    Tray tray;
    tray.window = wait_for_window(L"Tapestrel_ICON", timeout_ms);
    DWORD id = 0;
    if (tray.window) GetWindowThreadProcessId(tray.window, &id);
    if (id) {
        tray.process.reset(OpenProcess(SYNCHRONIZE, FALSE, id));
        tray.image = process_image(id);
    }
    return tray;
}

bool has_ended(const KernelHandle& process, DWORD timeout_ms)
{
    return process && WaitForSingleObject(process.get(), timeout_ms) == WAIT_OBJECT_0;
}

// As "アプリの終了" does.
bool close_tray(const Tray& tray)
{
    return tray.window && PostMessageW(tray.window, WM_CLOSE, 0, 0) && has_ended(tray.process, 20000);
}

bool run_installer(const std::wstring& arguments)
{
    DWORD code = 1;
    return wait_exit(start_process(quoted(env(L"TAPESTREL_SETUP")) + L" " + arguments), kInstallerTimeout, &code) &&
           code == 0;
}

// The uninstaller runs on from a copy of itself in the temporary folder, so
// its end shows in what it removes.
bool uninstalled_within(DWORD timeout_ms)
{
    const DWORD start = GetTickCount();
    while (key_exists(kUninstallKey) || file_exists(install_folder())) {
        if (GetTickCount() - start > timeout_ms) return false;
        Sleep(200);
    }
    return true;
}

// The wizard's caption may carry more after it.
constexpr const wchar_t* kUninstallerCaption = L"Tapestrel アンインストール";

std::wstring window_text(HWND window)
{
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

// A window of the uninstaller: its wizard, or with question the message box it asks in.
HWND uninstaller_window(bool question, DWORD timeout_ms)
{
    const DWORD start = GetTickCount();
    for (;;) {
        HWND found = nullptr;
        while ((found = FindWindowExW(nullptr, found, L"#32770", nullptr)) != nullptr)
            if (IsWindowVisible(found) && window_text(found).rfind(kUninstallerCaption, 0) == 0 &&
                (GetDlgItem(found, IDNO) != nullptr) == question)
                return found;
        if (GetTickCount() - start > timeout_ms) return nullptr;
        Sleep(100);
    }
}

// Posted as a click is, so a modal loop of the other process is not held up.
bool press(HWND dialog, int button)
{
    const HWND control = GetDlgItem(dialog, button);
    return control && PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(control));
}

bool is_default_button(HWND dialog, int button)
{
    const LONG style = GetWindowLongW(GetDlgItem(dialog, button), GWL_STYLE);
    return (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
}

ImageItem_CL photo(const std::wstring& key, const std::wstring& title)
{
    ImageItem_CL item;
    item.key = key;
    item.title = title;
    item.ownerName = L"山田";
    item.sizes[5] = {1600, 1200, L"http://127.0.0.1/" + key + L".jpg"};
    return item;
}

bool save_list(const std::wstring& name, const std::vector<ImageItem_CL>& items)
{
    WallPaperItemBase_CL list;
    list.set_path(data_folder() + L"\\" + name);
    list.items = items;
    return list.save() == S_OK;
}

class Package : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(env(L"TAPESTREL_SETUP").empty()) << "run through tests/support/package_fixture.py";
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        // A user's own settings and lists, which nothing here may change. No
        // schedule and no candidate run: the tray itself leaves them as they are.
        remove_tree(data_folder());
        keep_program_offline();
        AppSettings.load(folder(CSIDL_PERSONAL));
        ASSERT_TRUE(AppInifile.write_int(keys::kWallPaperInfo, keys::kAutoChange, 0));
        ASSERT_TRUE(AppInifile.write_int(keys::kInfoGet, keys::kCandAuteAdd, 0));
        ASSERT_TRUE(save_list(L"FavoriteWallPaperItems.dat", {photo(L"501", L"富士山の朝"), photo(L"502", L"海")}));
        ASSERT_TRUE(save_list(L"CandidateWallPaperItems.dat", {photo(L"601", L"夕焼け")}));
        ASSERT_TRUE(save_list(L"HistoryWallPaperItems.dat", {photo(L"501", L"富士山の朝")}));
        CreateDirectoryW((data_folder() + L"\\FavoriteWallPaper").c_str(), nullptr);
        ASSERT_TRUE(write_file(data_folder() + L"\\FavoriteWallPaper\\WallPaper_00001.jpg", jpeg_bytes(64, 48)));
    }

    void TearDown() override { CoUninitialize(); }
};

}  // namespace

TEST_F(Package, InstallsPerUserStartsAtSignInReplacesARunningTrayAndUninstallsKeepingTheData)
{
    ASSERT_TRUE(run_installer(L"/S"));
    expect_same_files(install_folder());
    EXPECT_TRUE(file_exists(installed(L"uninstall.exe")));
    std::wstring target, arguments;
    ASSERT_TRUE(read_shortcut(shortcut(), target, arguments));
    EXPECT_EQ(target, installed(L"Tapestrel.exe"));
    EXPECT_EQ(arguments, L"/window");

    const std::wstring run_command = user_registry_string(kRunKey, L"Tapestrel");
    EXPECT_EQ(run_command, quoted(installed(L"Tapestrel.exe")));
    EXPECT_EQ(user_registry_string(kUninstallKey, L"DisplayName"), L"Tapestrel");
    EXPECT_EQ(user_registry_string(kUninstallKey, L"DisplayVersion"), utf8_to_wide(TAPESTREL_VERSION_TEXT));
    EXPECT_EQ(user_registry_string(kUninstallKey, L"Publisher"), L"Tapestrel");
    EXPECT_EQ(user_registry_string(kUninstallKey, L"DisplayIcon"), installed(L"Tapestrel.exe"));
    EXPECT_EQ(user_registry_string(kUninstallKey, L"InstallLocation"), install_folder());
    EXPECT_EQ(user_registry_string(kUninstallKey, L"UninstallString"), quoted(installed(L"uninstall.exe")));
    EXPECT_EQ(user_registry_string(kUninstallKey, L"QuietUninstallString"), quoted(installed(L"uninstall.exe")) + L" /S");
    EXPECT_EQ(user_registry_dword(kUninstallKey, L"NoModify"), 1);
    EXPECT_EQ(user_registry_dword(kUninstallKey, L"NoRepair"), 1);
    // In KiB: the program files and the uninstaller.
    const long long program_kib = static_cast<long long>(read_file(installed(L"Tapestrel.exe")).size() / 1024);
    EXPECT_GE(user_registry_dword(kUninstallKey, L"EstimatedSize"), program_kib);
    EXPECT_LE(user_registry_dword(kUninstallKey, L"EstimatedSize"), program_kib + 1024);

    // As Windows does at sign-in: the Run value is the whole command line.
    KernelHandle started = start_process(run_command);
    ASSERT_TRUE(started);
    Tray first = find_tray(30000);
    ASSERT_NE(first.window, nullptr) << "the installed tray shows no window";
    EXPECT_EQ(first.image, installed(L"Tapestrel.exe"));

    // An older copy of a file, which installing again must replace.
    ASSERT_TRUE(write_file(installed(L"README.ja.txt"), std::string("old")));
    const auto data_before = snapshot(data_folder());
    ASSERT_TRUE(run_installer(L"/S"));
    EXPECT_TRUE(has_ended(first.process, 0)) << "the running tray was not closed";
    expect_same_files(install_folder());
    Tray second = find_tray(30000);
    ASSERT_NE(second.window, nullptr) << "the tray was not started again";
    EXPECT_NE(second.window, first.window);
    EXPECT_EQ(second.image, installed(L"Tapestrel.exe"));
    const auto data_after = snapshot(data_folder());
    for (const wchar_t* list : {L"FavoriteWallPaperItems.dat", L"CandidateWallPaperItems.dat",
                                L"HistoryWallPaperItems.dat", L"FavoriteWallPaper\\WallPaper_00001.jpg"}) {
        ASSERT_EQ(data_before.count(list), 1u) << wide_to_utf8(list);
        EXPECT_EQ(data_after.count(list) ? data_after.at(list) : std::vector<unsigned char>(), data_before.at(list))
            << wide_to_utf8(list);
    }

    // A silent uninstall, with the tray running.
    const auto data_kept = snapshot(data_folder());
    ASSERT_TRUE(start_process(quoted(installed(L"uninstall.exe")) + L" /S"));
    ASSERT_TRUE(uninstalled_within(kInstallerTimeout));
    EXPECT_TRUE(has_ended(second.process, 0)) << "the running tray was not closed";
    EXPECT_EQ(FindWindowW(L"MainWindowClass", L"Tapestrel_ICON"), nullptr);
    EXPECT_FALSE(file_exists(install_folder()));
    EXPECT_FALSE(file_exists(shortcut()));
    EXPECT_EQ(user_registry_string(kRunKey, L"Tapestrel"), L"<absent>");
    EXPECT_FALSE(key_exists(kUninstallKey));
    EXPECT_EQ(snapshot(data_folder()), data_kept);
}

TEST_F(Package, ThePortableArchiveHoldsTheProgramAndStartsWhereItWasUnpacked)
{
    const std::wstring unpacked = env(L"TAPESTREL_PORTABLE");
    expect_same_files(unpacked);
    EXPECT_EQ(snapshot(unpacked).size(), kShippedFiles.size());

    KernelHandle started = start_process(quoted(unpacked + L"\\Tapestrel.exe"));
    ASSERT_TRUE(started);
    const Tray tray = find_tray(30000);
    ASSERT_NE(tray.window, nullptr) << "the unpacked tray shows no window";
    EXPECT_EQ(tray.image, unpacked + L"\\Tapestrel.exe");
    EXPECT_TRUE(close_tray(tray));
}

TEST_F(Package, ATrayThatDoesNotCloseStopsASilentInstallBeforeAnyFileIsWritten)
{
    // A tray window whose thread never reads its messages, as a hung tray's.
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = DefWindowProcW;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"MainWindowClass";
    ASSERT_TRUE(RegisterClassW(&window_class));
    const HWND hung = CreateWindowW(L"MainWindowClass", L"Tapestrel_ICON", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                    GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(hung, nullptr);
    EXPECT_FALSE(run_installer(L"/S"));
    EXPECT_FALSE(file_exists(install_folder()));
    EXPECT_FALSE(key_exists(kUninstallKey));
    DestroyWindow(hung);
    UnregisterClassW(L"MainWindowClass", GetModuleHandleW(nullptr));
}

TEST_F(Package, InstallingAgainKeepsTheOptionsTheUserTurnedOff)
{
    ASSERT_TRUE(run_installer(L"/S"));
    ASSERT_EQ(RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Tapestrel"), ERROR_SUCCESS);  // as the settings page does
    ASSERT_TRUE(DeleteFileW(shortcut().c_str()));
    ASSERT_TRUE(run_installer(L"/S"));
    EXPECT_EQ(user_registry_string(kRunKey, L"Tapestrel"), L"<absent>");
    EXPECT_FALSE(file_exists(shortcut()));
    ASSERT_TRUE(start_process(quoted(installed(L"uninstall.exe")) + L" /S"));
    EXPECT_TRUE(uninstalled_within(kInstallerTimeout));
}

TEST_F(Package, TheUninstallerAsksWhetherToRemoveTheDataWithNoAsItsDefault)
{
    ASSERT_TRUE(run_installer(L"/S"));
    ASSERT_TRUE(start_process(quoted(installed(L"uninstall.exe"))));
    const HWND wizard = uninstaller_window(false, 30000);
    ASSERT_NE(wizard, nullptr);
    ASSERT_TRUE(press(wizard, IDOK));  // "アンインストール"
    const HWND question = uninstaller_window(true, kInstallerTimeout);
    ASSERT_NE(question, nullptr) << "no question about the data";
    EXPECT_TRUE(is_default_button(question, IDNO));
    EXPECT_FALSE(is_default_button(question, IDYES));
    EXPECT_TRUE(file_exists(data_folder())) << "removed before the answer";
    ASSERT_TRUE(press(question, IDYES));

    EXPECT_TRUE(uninstalled_within(kInstallerTimeout));
    const DWORD start = GetTickCount();
    while (file_exists(data_folder()) && GetTickCount() - start < 30000) Sleep(100);
    EXPECT_FALSE(file_exists(data_folder()));
    // "閉じる"
    EXPECT_TRUE(press(uninstaller_window(false, 30000), IDOK));
}
