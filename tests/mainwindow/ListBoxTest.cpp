#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "UiTestSupport.h"
#include "winui/CommunicateWait_CL.h"
#include "mainwindow/MyFlickerListBox_CL.h"

using namespace testing_support;
using ui_testing::pump_until;

namespace {

// LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_EXTENDEDSEL | LBS_NODATA, as the tabs make it.
constexpr DWORD kListStyle = 0x2811;
constexpr int kListId = 0x3302;

ImageItem_CL remote_record(const std::wstring& thumbnail_url)
{
    ImageItem_CL item;
    item.key = thumbnail_url;
    item.farm = 3;
    item.ownerName = L"alice";
    item.title = L"remote";
    item.sizes[1].url = thumbnail_url;
    return item;
}

size_t requests_of(const std::wstring& relative_path)
{
    const std::string log = http_log(L"_requests.log");
    const std::string line = "GET /" + std::string(relative_path.begin(), relative_path.end()) + "\n";
    size_t count = 0;
    for (size_t at = log.find(line); at != std::string::npos; at = log.find(line, at + 1)) ++count;
    return count;
}

// A path of its own for each run: the stand-in's request log outlives runs.
std::wstring fresh_path(const wchar_t* name)
{
    return L"list/" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(GetTickCount()) + L"/" + name;
}

bool open_gate(const std::wstring& relative_path)
{
    return serve_file(L"_gate/" + relative_path + L".open", "");
}

// A visible host (rows are painted only when shown) that passes its owner-draw
// messages to the list, as a tab does for the main window.
class ListBoxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        host_.set_hook([this](HWND, UINT message, WPARAM, LPARAM lparam, LRESULT* result) {
            if (!list_ || !list_->on_parent_message(message, lparam)) return false;
            *result = TRUE;
            return true;
        });
        indicator_.create(host_.hwnd());
        list_ = std::make_unique<MyFlickerListBox_CL>();
        ASSERT_NE(list_->create(host_.hwnd(), kListId, 560, 400, kListStyle, 0, 20), nullptr);
        list_->set_busy_indicator(&indicator_);
    }
    void TearDown() override
    {
        DestroyWindow(list_->window());
        list_.reset();
    }
    void paint()
    {
        RedrawWindow(list_->window(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    }

    GdiplusSession gdiplus_;
    ui_testing::HostWindow host_{640, 480, true};
    CommunicateWait_CL indicator_;
    std::unique_ptr<MyFlickerListBox_CL> list_;
};

}  // namespace

TEST_F(ListBoxTest, MissingThumbnailIsQueuedOnceAndRowsWithoutSourceQueueNothing)
{
    const std::wstring path = fresh_path(L"once.jpg");
    const std::vector<unsigned char> jpeg = jpeg_bytes(120, 90);
    ASSERT_TRUE(serve_file(path, std::string(jpeg.begin(), jpeg.end())));
    ImageItem_CL no_source;
    no_source.title = L"nothing to show";
    const std::wstring large_only = fresh_path(L"large_only.jpg");
    no_source.sizes[5].url = http_url(large_only);  // only sizes 0 and 1 are thumbnails
    list_->append_records({no_source});
    paint();
    EXPECT_EQ(indicator_.busy_count(), 0);
    EXPECT_EQ(list_->cached_count(), 0u);

    list_->append_records({remote_record(http_url(L"_gate/" + path))});
    paint();
    paint();
    EXPECT_EQ(indicator_.busy_count(), 1);
    ASSERT_TRUE(wait_for_http_request(L"_gate/" + path, 20000));
    paint();
    ASSERT_TRUE(open_gate(path));
    EXPECT_TRUE(pump_until([&] { return list_->cached_count() == 1 && indicator_.busy_count() == 0; }));
    EXPECT_EQ(requests_of(L"_gate/" + path), 1u);
    EXPECT_EQ(requests_of(large_only), 0u);

    // A thumbnail that is not there, with no error picture to show instead,
    // is asked for once, not again at every paint that its failure causes.
    const std::wstring missing = fresh_path(L"missing.jpg");
    list_->append_records({remote_record(http_url(missing))});
    paint();
    ASSERT_TRUE(wait_for_http_request(missing, 20000));
    EXPECT_TRUE(pump_until([&] { return indicator_.busy_count() == 0; }));
    for (int round = 0; round < 5; ++round) {
        paint();
        ui_testing::pump_messages();
    }
    EXPECT_EQ(indicator_.busy_count(), 0);
    EXPECT_EQ(requests_of(missing), 1u);
}

TEST_F(ListBoxTest, ResetDuringDownloadsLeavesNoOldPictureInTheCache)
{
    TempFolder folder;
    ASSERT_TRUE(make_jpeg(folder.file(L"local.jpg"), 300, 200));
    ImageItem_CL local = remote_record(L"");
    local.localPath = folder.file(L"local.jpg");
    const std::wstring path = fresh_path(L"reset.jpg");
    const std::vector<unsigned char> jpeg = jpeg_bytes(120, 90);
    ASSERT_TRUE(serve_file(path, std::string(jpeg.begin(), jpeg.end())));
    list_->append_records({local, remote_record(http_url(L"_gate/" + path))});
    paint();
    EXPECT_EQ(list_->cached_count(), 1u);  // the local picture is decoded at once
    ASSERT_TRUE(wait_for_http_request(L"_gate/" + path, 20000));

    list_->reset();
    EXPECT_EQ(list_->cached_count(), 0u);
    EXPECT_TRUE(list_->records().empty());
    EXPECT_EQ(indicator_.busy_count(), 0);
    ASSERT_TRUE(open_gate(path));
    ui_testing::pump_messages();
    EXPECT_EQ(list_->cached_count(), 0u);
}

TEST_F(ListBoxTest, RowTextsShowDateLicenceAndOwner)
{
    ImageItem_CL item = remote_record(L"http://x/y.jpg");
    item.dateTaken = L"2011-03-05 10:20:30";
    item.license = 4;
    EXPECT_EQ(FlickerListBox_CL::info_text(item), L"by\r\nTaken 2011/03/05\r\nLicense\r\n\x3000" L"Attribution License");
    item.license = 11;
    EXPECT_EQ(FlickerListBox_CL::info_text(item), L"by\r\nTaken 2011/03/05\r\nLicense\r\n\x3000" L"Attribution 4.0 License");
    for (int licence : {-1, 17}) {
        item.license = licence;
        EXPECT_EQ(FlickerListBox_CL::info_text(item), L"by\r\nTaken 2011/03/05\r\nLicense\r\n\x3000Unknown");
    }
    EXPECT_EQ(FlickerListBox_CL::owner_text(item), L"alice");
    item.farm = -1;
    EXPECT_EQ(FlickerListBox_CL::owner_text(item), L"<local folder>");

    item.sizes[5] = {4000, 3000, L"http://x/o.jpg"};
    EXPECT_EQ(FlickerListBox_CL::size_text(item), L"size 4000 x 3000");
    item.localPath = L"c:\\pictures\\a.jpg";
    item.localWidth = 800;
    item.localHeight = 600;
    EXPECT_EQ(FlickerListBox_CL::size_text(item), L"size 800 x 600");
}

TEST_F(ListBoxTest, OwnerLinkUnderTheMouseOnlyForServicePhotos)
{
    TempFolder folder;
    ASSERT_TRUE(make_jpeg(folder.file(L"local.jpg"), 300, 200));
    ImageItem_CL local = remote_record(L"");
    local.localPath = folder.file(L"local.jpg");
    local.farm = -1;
    list_->append_records({local});
    // The cursor on the owner link of row 0.
    const DpiScale scale = DpiScale::system();
    POINT link{scale(182 + 6), scale(24 + 6)};
    ClientToScreen(list_->window(), &link);
    ASSERT_TRUE(SetCursorPos(link.x, link.y));
    paint();
    EXPECT_FALSE(list_->hover_flag());
    EXPECT_NE(GetCursor(), LoadCursorW(nullptr, IDC_HAND));

    // The same place on a photo-service row is a link.
    list_->reset();
    ImageItem_CL remote = local;
    remote.farm = 3;
    list_->append_records({remote});
    paint();
    EXPECT_TRUE(list_->hover_flag());
    EXPECT_EQ(list_->hover_row(), 0);
}

// Loaders hand their records over from their own threads, some in several
// parts: every part lands behind the ones before, and the row count follows.
TEST_F(ListBoxTest, RecordsHandedOverInPartsKeepTheirOrder)
{
    std::thread loader([this] {
        list_->append_records({remote_record(L"a"), remote_record(L"b")});
        list_->append_records({remote_record(L"c")});
    });
    const bool arrived = pump_until([&] { return list_->records().size() == 3; });
    loader.join();
    ASSERT_TRUE(arrived);
    list_->append_records({remote_record(L"d")});
    std::vector<std::wstring> keys;
    for (const ImageItem_CL& record : list_->records()) keys.push_back(record.key);
    EXPECT_EQ(keys, (std::vector<std::wstring>{L"a", L"b", L"c", L"d"}));
    EXPECT_EQ(SendMessageW(list_->window(), LB_GETCOUNT, 0, 0), 4);

    list_->reset();
    list_->append_records({remote_record(L"e")});
    ASSERT_EQ(list_->records().size(), 1u);
    EXPECT_EQ(list_->records()[0].key, L"e");
}

// A list shown in place is read, never written: rows follow it, more records
// make the list its own first, and a reset lets go of it.
TEST_F(ListBoxTest, ListShownInPlaceIsReadButNeverChanged)
{
    std::vector<ImageItem_CL> stored = {remote_record(L"a"), remote_record(L"b")};
    list_->append_records({remote_record(L"old")});
    list_->show_records(stored);
    EXPECT_EQ(SendMessageW(list_->window(), LB_GETCOUNT, 0, 0), 2);
    ASSERT_NE(list_->record_at(1), nullptr);
    EXPECT_EQ(list_->record_at(1), &stored[1]);
    EXPECT_EQ(list_->record_at(2), nullptr);
    paint();

    list_->append_records({remote_record(L"c")});
    std::vector<std::wstring> keys;
    for (const ImageItem_CL& record : list_->records()) keys.push_back(record.key);
    EXPECT_EQ(keys, (std::vector<std::wstring>{L"a", L"b", L"c"}));
    EXPECT_EQ(SendMessageW(list_->window(), LB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(stored.size(), 2u);

    list_->show_records(stored);
    list_->reset();
    EXPECT_TRUE(list_->records().empty());
    EXPECT_EQ(list_->record_at(0), nullptr);
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0].key, L"a");
}

// Rows may arrive bare: the filler completes a row once, when it is first
// painted or asked for, and never a row nobody has looked at.
TEST_F(ListBoxTest, ARecordIsCompletedOnceWhenItsRowIsFirstPaintedOrAskedFor)
{
    std::vector<int> calls(40, 0);
    list_->set_record_filler([&](ImageItem_CL& record) {
        const int row = std::stoi(record.key);
        ++calls[static_cast<size_t>(row)];
        // Odd rows cannot be completed and stay as they came.
        if (row % 2 == 0) record.title = L"read " + record.key;
    });
    std::vector<ImageItem_CL> bare(40);
    for (int row = 0; row < 40; ++row) bare[static_cast<size_t>(row)].key = std::to_wstring(row);
    list_->append_records(bare);
    paint();
    paint();
    const int shown = static_cast<int>(400 / SendMessageW(list_->window(), LB_GETITEMHEIGHT, 0, 0)) + 1;
    for (int row = 0; row < shown - 1; ++row) EXPECT_EQ(calls[static_cast<size_t>(row)], 1) << row;
    for (int row = shown + 1; row < 40; ++row) EXPECT_EQ(calls[static_cast<size_t>(row)], 0) << row;
    EXPECT_EQ(list_->records()[0].title, L"read 0");
    EXPECT_TRUE(list_->records()[1].title.empty());
    EXPECT_TRUE(list_->records()[30].title.empty());

    ASSERT_NE(list_->record_at(30), nullptr);
    EXPECT_EQ(list_->record_at(30)->title, L"read 30");
    list_->record_at(31);
    list_->record_at(31);
    EXPECT_EQ(calls[30], 1);
    EXPECT_EQ(calls[31], 1);

    // New records after a reset are new rows, completed again.
    list_->reset();
    list_->append_records(bare);
    EXPECT_EQ(list_->record_at(30)->title, L"read 30");
    EXPECT_EQ(calls[30], 2);

    // A list shown in place belongs to someone else and is never changed.
    const std::vector<ImageItem_CL> stored = bare;
    list_->show_records(stored);
    paint();
    EXPECT_TRUE(list_->record_at(0)->title.empty());
    EXPECT_EQ(calls[0], 1);
}
