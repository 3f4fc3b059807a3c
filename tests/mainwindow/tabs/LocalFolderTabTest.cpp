#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include "TabsTestSupport.h"
#include "UiTestSupport.h"
#include "imaging/ImageEncoder.h"
#include "store/AppSettings_CL.h"
#include "mainwindow/MyFlickerListBox_CL.h"
#include "mainwindow/MyPictureImage_CL.h"
#include "mainwindow/tabs/TabViewLocalFolder_CL.h"
#include "mainwindow/tabs/TabViewNowWallPaper_CL.h"

using namespace testing_support;
using namespace tabs_testing;

namespace {

constexpr int kUserTab = 5;
constexpr int kLocalTab = 7;
constexpr const wchar_t* kLocalHistory = L"SEARCH_HISTORY_LOCA_FOLDER";

std::wstring lower(std::wstring text)
{
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

// Answers the folder chooser the way a user does: once it shows, notes its
// prompt, picks the folder and, once the folder tree shows it picked, presses
// OK. Runs from a thread timer, which the chooser's own message loop dispatches.
struct FolderChooserDriver {
    static std::wstring folder;
    static std::wstring prompt;
    static bool answered;
    static int rounds;

    static BOOL CALLBACK find_prompt(HWND child, LPARAM)
    {
        wchar_t text[256] = L"";
        GetWindowTextW(child, text, 256);
        if (std::wstring(text).find(L"フォルダ") != std::wstring::npos && prompt.empty()) prompt = text;
        return TRUE;
    }
    static BOOL CALLBACK find_dialog(HWND window, LPARAM found)
    {
        wchar_t name[16] = L"";
        GetClassNameW(window, name, 16);
        if (std::wstring(name) != L"#32770" || !IsWindowVisible(window)) return TRUE;
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    // The text of the folder tree's selected item.
    static std::wstring picked(HWND dialog)
    {
        const HWND tree = FindWindowExW(dialog, nullptr, WC_TREEVIEWW, nullptr);
        wchar_t text[MAX_PATH] = L"";
        TVITEMW item{};
        item.mask = TVIF_TEXT;
        item.hItem = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
        item.pszText = text;
        item.cchTextMax = MAX_PATH;
        if (!tree || !item.hItem || !SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return L"";
        return text;
    }
    static void CALLBACK on_timer(HWND, UINT, UINT_PTR timer, DWORD)
    {
        HWND dialog = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), find_dialog, reinterpret_cast<LPARAM>(&dialog));
        if (!dialog || answered) return;
        if (prompt.empty()) EnumChildWindows(dialog, find_prompt, 0);
        // A chooser that never shows the folder is cancelled: the test then fails instead of hanging.
        const bool given_up = ++rounds > 400;
        if (!given_up && lower(picked(dialog)) != lower(folder.substr(folder.find_last_of(L'\\') + 1))) {
            SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(folder.c_str()));
            return;
        }
        answered = true;
        KillTimer(nullptr, timer);
        PostMessageW(dialog, WM_COMMAND, given_up ? IDCANCEL : IDOK, 0);
    }
    // Clicks the button; returns once the chooser has closed.
    static void choose(HWND button, const std::wstring& chosen)
    {
        folder = chosen;
        prompt.clear();
        answered = false;
        rounds = 0;
        SetTimer(nullptr, 0, 50, on_timer);
        SendMessageW(button, BM_CLICK, 0, 0);
    }
};
std::wstring FolderChooserDriver::folder;
std::wstring FolderChooserDriver::prompt;
bool FolderChooserDriver::answered = false;
int FolderChooserDriver::rounds = 0;

class LocalFolderTabTest : public MainWindowFixture {
protected:
    std::wstring make_folder(const std::wstring& name)
    {
        const std::wstring path = documents_.file(name);
        EXPECT_TRUE(CreateDirectoryW(path.c_str(), nullptr));
        return path;
    }
    TabViewLocalFolder_CL& local_tab() const { return *static_cast<TabViewLocalFolder_CL*>(window_->tab_view(kLocalTab)); }
    SearchTabView_CL& user_tab() const { return *static_cast<SearchTabView_CL*>(window_->tab_view(kUserTab)); }
    // Lists a folder holding one picture, so that its row can be used.
    std::wstring list_one_picture(const std::wstring& name)
    {
        const std::wstring folder = make_folder(L"one");
        EXPECT_TRUE(make_jpeg(folder + L"\\" + name, 64, 48));
        open();
        select_tab(kLocalTab);
        enter_text(kLocalTab, folder);
        EXPECT_TRUE(wait_for_rows(kLocalTab, 1));
        return folder;
    }
};

bool looks_like_date(const std::wstring& text)
{
    const std::wstring shape = L"dddd-dd-dd dd:dd:dd";
    if (text.size() != shape.size()) return false;
    for (size_t i = 0; i < shape.size(); ++i)
        if (shape[i] == L'd' ? !iswdigit(text[i]) : text[i] != shape[i]) return false;
    return true;
}

}  // namespace

TEST_F(LocalFolderTabTest, ListsTheJpegFilesOfTheFolderAndAllItsSubfolders)
{
    const std::wstring root = make_folder(L"pictures");
    make_folder(L"pictures\\sub");
    make_folder(L"pictures\\sub\\deeper");
    make_folder(L"pictures\\my.photos");
    ASSERT_TRUE(make_jpeg(root + L"\\a.jpg", 64, 48));
    ASSERT_TRUE(make_jpeg(root + L"\\b.jpeg", 48, 64));
    ASSERT_TRUE(make_jpeg(root + L"\\c.JPG", 32, 32));
    ASSERT_TRUE(make_jpeg(root + L"\\d.png", 32, 32));  // the name decides, not the content
    ASSERT_TRUE(make_jpeg(root + L"\\sub\\deeper\\e.jpg", 40, 30));
    ASSERT_TRUE(make_jpeg(root + L"\\my.photos\\f.jpg", 30, 40));
    ASSERT_TRUE(write_file(root + L"\\my.photos\\readme", std::string("no extension, in a folder with a dot")));
    open();
    select_tab(kLocalTab);
    mark_caption(kLocalTab);
    enter_text(kLocalTab, root + L"\\");
    ASSERT_TRUE(wait_for_caption(kLocalTab, L"ローカルフォルダ(5)"));

    std::vector<ImageItem_CL> found = rows(kLocalTab);
    std::sort(found.begin(), found.end(), [](const ImageItem_CL& a, const ImageItem_CL& b) { return a.title < b.title; });
    ASSERT_EQ(titles_of(found), (std::vector<std::wstring>{L"a.jpg", L"b.jpeg", L"c.JPG", L"e.jpg", L"f.jpg"}));
    const ImageItem_CL& deep = found[3];
    EXPECT_EQ(deep.key, root + L"\\sub\\deeper\\e.jpg");
    EXPECT_EQ(deep.localPath, deep.key);
    EXPECT_EQ(found[4].key, root + L"\\my.photos\\f.jpg");
    EXPECT_EQ(found[1].localWidth, 48);
    EXPECT_EQ(found[1].localHeight, 64);
    for (const ImageItem_CL& item : found) {
        EXPECT_TRUE(item.ownerName.empty()) << item.title;
        EXPECT_EQ(item.farm, -1);
        EXPECT_EQ(item.license, -1);
        EXPECT_EQ(item.media, L"photo");
        EXPECT_TRUE(looks_like_date(item.dateTaken)) << item.dateTaken;
    }
    EXPECT_EQ(stored_history(kLocalHistory), (std::vector<std::wstring>{root + L"\\"}));
}

// Sizes are what the user sees: camera pictures stored sideways are listed
// upright, another picture format under a JPEG name is listed with the size the
// decoder gives, and a file nothing can read is left out.
TEST_F(LocalFolderTabTest, CameraPicturesAreListedWithTheirUprightSize)
{
    const std::wstring root = make_folder(L"camera");
    const std::vector<unsigned char> stored = quartered_jpeg_bytes(120, 80);
    for (int orientation = 1; orientation <= 8; ++orientation)
        ASSERT_TRUE(write_file(root + L"\\o" + std::to_wstring(orientation) + L".jpg",
                               with_exif(stored, orientation, {}, orientation > 4)));
    Gdiplus::Bitmap png(50, 30, PixelFormat24bppRGB);
    CLSID png_encoder;
    ASSERT_TRUE(find_image_encoder(L"image/png", png_encoder));
    ASSERT_EQ(png.Save((root + L"\\renamed.jpg").c_str(), &png_encoder, nullptr), Gdiplus::Ok);
    ASSERT_TRUE(write_file(root + L"\\text.jpg", std::string("not a picture")));
    open();
    select_tab(kLocalTab);
    mark_caption(kLocalTab);
    enter_text(kLocalTab, root);
    // A file nothing can read is listed by its name, with no size.
    ASSERT_TRUE(wait_for_caption(kLocalTab, L"ローカルフォルダ(10)"));

    std::vector<std::wstring> listed;
    for (const ImageItem_CL& item : rows(kLocalTab))
        listed.push_back(item.title + L" " + std::to_wstring(item.localWidth) + L"x" + std::to_wstring(item.localHeight));
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, (std::vector<std::wstring>{L"o1.jpg 120x80", L"o2.jpg 120x80", L"o3.jpg 120x80",
                                                 L"o4.jpg 120x80", L"o5.jpg 80x120", L"o6.jpg 80x120",
                                                 L"o7.jpg 80x120", L"o8.jpg 80x120", L"renamed.jpg 50x30",
                                                 L"text.jpg 0x0"}));
}

TEST_F(LocalFolderTabTest, TheFirstVisitListsTheFolderUsedLastAndAMissingFolderListsNothing)
{
    const std::wstring last = make_folder(L"last");
    const std::wstring older = make_folder(L"older");
    ASSERT_TRUE(make_jpeg(last + L"\\x.jpg", 20, 20));
    ASSERT_TRUE(make_jpeg(older + L"\\y.jpg", 20, 20));
    ASSERT_TRUE(make_jpeg(older + L"\\z.jpg", 20, 20));
    store_history(kLocalHistory, {last, older});
    open();
    EXPECT_EQ(list_count(kLocalTab), 0);  // nothing is scanned before the tab is shown
    select_tab(kLocalTab);
    ASSERT_TRUE(wait_for_rows(kLocalTab, 1));
    EXPECT_EQ(local_tab().history_box().typed_text(), last);
    EXPECT_EQ(local_tab().history_box().count(), 2);

    mark_caption(kLocalTab);
    enter_text(kLocalTab, documents_.file(L"missing"));
    ASSERT_TRUE(wait_for_caption(kLocalTab, L"ローカルフォルダ(0)"));
    EXPECT_EQ(list_count(kLocalTab), 0);
}

TEST_F(LocalFolderTabTest, BrowseListsTheChosenFolderAtOnceAndTheSameChoiceDoesNotScanAgain)
{
    const std::wstring chosen = make_folder(L"chosen");
    ASSERT_TRUE(make_jpeg(chosen + L"\\p.jpg", 20, 20));
    ASSERT_TRUE(make_jpeg(chosen + L"\\q.jpg", 20, 20));
    store_history(kLocalHistory, {documents_.file(L"elsewhere")});
    open();
    select_tab(kLocalTab);
    FolderChooserDriver::choose(local_tab().browse_button(), chosen);
    EXPECT_EQ(FolderChooserDriver::prompt, L"画像のあるフォルダを選択してください。");
    ASSERT_TRUE(wait_for_rows(kLocalTab, 2));
    const std::vector<std::wstring> stored = stored_history(kLocalHistory);
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(lower(stored[0]), lower(chosen));
    EXPECT_EQ(lower(local_tab().history_box().typed_text()), lower(chosen));

    // A new scan would empty the list before this returns.
    FolderChooserDriver::choose(local_tab().browse_button(), chosen);
    EXPECT_EQ(list_count(kLocalTab), 2);
    EXPECT_EQ(stored_history(kLocalHistory).size(), 2u);
}

TEST_F(LocalFolderTabTest, TheUserBoxAndTheFolderBoxDoNotTriggerEachOther)
{
    const std::wstring folder = list_one_picture(L"one.jpg");
    const std::wstring other = make_folder(L"other");
    ASSERT_TRUE(make_jpeg(other + L"\\two.jpg", 20, 20));

    // Typed but not entered in the folder box; Enter in the user box.
    local_tab().history_box().set_text(other);
    select_tab(kUserTab);
    enter_text(kUserTab, L"someone");
    EXPECT_EQ(list_count(kLocalTab), 1);
    EXPECT_EQ(stored_history(kLocalHistory), (std::vector<std::wstring>{folder}));
    EXPECT_EQ(user_tab().current_text(), L"someone");

    // And the other way round.
    user_tab().history_box().set_text(L"somebody else");
    select_tab(kLocalTab);
    enter_text(kLocalTab, other);
    EXPECT_EQ(user_tab().current_text(), L"someone");
    EXPECT_EQ(stored_history(L"SEARCH_HISTORY_USER"), (std::vector<std::wstring>{L"someone"}));
    // The old folder's row stays until the new walk replaces it.
    EXPECT_TRUE(ui_testing::pump_until([&] {
        const std::vector<ImageItem_CL> shown = rows(kLocalTab);
        return shown.size() == 1 && shown[0].title == L"two.jpg";
    }));
}

TEST_F(LocalFolderTabTest, TheMenuOffersNoCandidateAndNoPhotographerForALocalFile)
{
    list_one_picture(L"sea.jpg");
    const auto menu = [&] {
        return capture_menu([&] {
            SendMessageW(hwnd(), MyFlickerListBox_CL::kChildRightClick, MainWindow_CL::kFirstListId + kLocalTab, 0);
        });
    };
    select_rows(kLocalTab, {}, 0);
    std::vector<MenuRow> shown = menu();
    std::vector<UINT> ids, greyed;
    for (const MenuRow& row : shown) ids.push_back(row.id);
    EXPECT_EQ(ids, (std::vector<UINT>{0x1000, 0x1030, 0x1040, 0x1150, 0x1100}));
    for (const MenuRow& row : shown)
        if (row.greyed) greyed.push_back(row.id);
    EXPECT_EQ(greyed, (std::vector<UINT>{0x1000, 0x1030, 0x1040}));

    select_rows(kLocalTab, {0}, 0);
    greyed.clear();
    for (const MenuRow& row : menu())
        if (row.greyed) greyed.push_back(row.id);
    EXPECT_EQ(greyed, (std::vector<UINT>{0x1030, 0x1040}));
}

TEST_F(LocalFolderTabTest, ALocalPictureSetAsWallpaperShowsTheLocalFolderAndAnUnknownLicence)
{
    list_one_picture(L"sea.jpg");
    select_rows(kLocalTab, {0}, 0);
    ASSERT_TRUE(get_photo());
    command(MainWindow_CL::kSetWallpaper);
    select_tab(0);
    auto* now_tab = static_cast<TabViewNowWallPaper_CL*>(window_->tab_view(0));
    ASSERT_TRUE(ui_testing::pump_until([&] { return now_tab->picture()->holds_picture(); }));

    wchar_t text[1024] = L"";
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = now_tab->picture()->window();
    tool.uId = 0x1000;
    tool.lpszText = text;
    SendMessageW(now_tab->tooltip_window(), TTM_GETTEXTW, 1024, reinterpret_cast<LPARAM>(&tool));
    const std::wstring tip = text;
    EXPECT_NE(tip.find(L"★[Title]\r\n　sea.jpg\r\n"), std::wstring::npos) << tip;
    EXPECT_NE(tip.find(L"★[Owner]\r\n　<localfolder>\r\n"), std::wstring::npos) << tip;
    EXPECT_NE(tip.find(L"★[License]\r\n　Unknown\r\n"), std::wstring::npos) << tip;
}

TEST_F(LocalFolderTabTest, ScreenshotOfAFolderOfPictures)
{
    const std::wstring folder = make_folder(L"album");
    for (int i = 0; i < 6; ++i)
        ASSERT_TRUE(make_jpeg(folder + L"\\写真" + std::to_wstring(i) + L".jpg", 160 + 40 * i, 120 + 10 * i));
    // Room for the same rows at every DPI.
    AppInifile.write_int(L"WINDOW", L"width", DpiScale::system()(900));
    AppInifile.write_int(L"WINDOW", L"height", DpiScale::system()(640));
    open();
    select_tab(kLocalTab);
    enter_text(kLocalTab, folder);
    ASSERT_TRUE(wait_for_rows(kLocalTab, 6));
    select_rows(kLocalTab, {1}, 1);
    ASSERT_TRUE(get_photo());
    MyFlickerListBox_CL* list = window_->tab_view(kLocalTab)->list();
    EXPECT_TRUE(ui_testing::pump_until([&] {
        RedrawWindow(list->window(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        return list->cached_count() >= 3;
    }));
    RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ui_testing::pump_messages();
    // Left beside the test program for a person to look at.
    EXPECT_TRUE(ui_testing::save_screenshot(hwnd(), L"local_folder_tab.png"));
}

// A library is listed from its names at once; a row's size and date are read
// when the row is first shown or used, never for the whole folder up front.
TEST_F(LocalFolderTabTest, ALibraryIsListedByNameAndEachRowIsReadWhenFirstShownOrUsed)
{
    const std::wstring root = make_folder(L"library");
    make_folder(L"library\\sub");
    constexpr int kPictures = 40;
    // Picture n is (20 + n) x 10, so a row's size tells whose it is.
    for (int n = 0; n < kPictures; ++n)
        ASSERT_TRUE(make_jpeg(root + (n % 2 ? L"\\sub\\p" : L"\\p") + std::to_wstring(n) + L".jpg", 20 + n, 10));
    ASSERT_TRUE(write_file(root + L"\\broken.jpg", std::string("not a picture")));
    open();
    select_tab(kLocalTab);
    mark_caption(kLocalTab);
    enter_text(kLocalTab, root);
    ASSERT_TRUE(wait_for_caption(kLocalTab, L"ローカルフォルダ(41)"));

    MyFlickerListBox_CL& list = *window_->tab_view(kLocalTab)->list();
    const auto paint = [&] {
        RedrawWindow(list.window(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        ui_testing::pump_messages();
    };
    // Read without completing anything.
    const auto is_read = [&](int row) { return list.records()[static_cast<size_t>(row)].localWidth != 0; };
    const auto expect_read = [&](const ImageItem_CL& record) {
        const size_t digits = record.title.find_first_of(L"0123456789");
        ASSERT_NE(digits, std::wstring::npos) << record.title;
        EXPECT_EQ(record.localWidth, 20 + std::stoi(record.title.substr(digits))) << record.title;
        EXPECT_EQ(record.localHeight, 10);
        EXPECT_TRUE(looks_like_date(record.dateTaken)) << record.dateTaken;
    };
    paint();
    RECT client{};
    GetClientRect(list.window(), &client);
    const int shown = static_cast<int>(client.bottom / SendMessageW(list.window(), LB_GETITEMHEIGHT, 0, 0)) + 1;
    ASSERT_LT(shown, 20) << "the list must show only part of the library";
    int read = 0;
    for (int row = 0; row < 41; ++row) read += is_read(row) ? 1 : 0;
    EXPECT_GT(read, 0);
    EXPECT_LE(read, shown);
    ASSERT_FALSE(is_read(40));

    // Scrolled to the end, the rows now shown are read, and only those.
    SendMessageW(list.window(), LB_SETTOPINDEX, 40, 0);
    paint();
    const ImageItem_CL& last = list.records()[40];
    if (last.title != L"broken.jpg") expect_read(last);
    ASSERT_FALSE(is_read(20));

    // A row used before it was shown (the item commands) is read first.
    const ImageItem_CL* middle = list.record_at(20);
    ASSERT_NE(middle, nullptr);
    if (middle->title != L"broken.jpg") expect_read(*middle);

    // Every row reads as its file; a file that is no picture is still listed, without size or date.
    std::vector<ImageItem_CL> found = rows(kLocalTab);
    ASSERT_EQ(found.size(), 41u);
    for (const ImageItem_CL& record : found) {
        EXPECT_EQ(record.key, record.localPath);
        EXPECT_EQ(record.farm, -1);
        if (record.title == L"broken.jpg") {
            EXPECT_EQ(record.localPath, root + L"\\broken.jpg");
            EXPECT_EQ(record.localWidth, 0);
            EXPECT_EQ(record.dateTaken, L"??~~?? ??:??:??");
        } else {
            expect_read(record);
        }
    }
}
