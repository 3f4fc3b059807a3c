#include <gtest/gtest.h>

#include "ListBytes.h"
#include "TestSupport.h"
#include "store/ItemStream.h"
#include "store/WallPaperItemBase_CL.h"

using testing_support::TempFolder;
using testing_support::read_file;
using testing_support::write_file;

namespace {

ImageItem_CL sample_item(int n)
{
    ImageItem_CL item;
    item.key = L"key-" + std::to_wstring(n);
    for (int s = 0; s < 6; ++s) {
        item.sizes[s].width = n * 10 + s;
        item.sizes[s].height = n * 20 + s;
        item.sizes[s].url = L"https://example/" + std::to_wstring(n) + L"_" + std::to_wstring(s);
    }
    item.farm = n + 1;
    item.license = n % 9;
    item.media = L"photo";
    item.dateTaken = L"2024-05-0" + std::to_wstring(n % 9) + L" 10:00:00";
    item.title = L"富士山の朝 " + std::to_wstring(n);
    item.ownerName = L"山田太郎";
    item.owner = L"1234@N0" + std::to_wstring(n);
    item.pathAlias = L"alias" + std::to_wstring(n);
    item.localWidth = 4000 + n;
    item.localHeight = 3000 + n;
    item.localPath = L"C:\\写真\\" + std::to_wstring(n) + L".jpg";
    return item;
}

void expect_same(const ImageItem_CL& a, const ImageItem_CL& b, bool local_slot = true)
{
    EXPECT_EQ(a.key, b.key);
    for (int s = 0; s < 6; ++s) {
        EXPECT_EQ(a.sizes[s].width, b.sizes[s].width);
        EXPECT_EQ(a.sizes[s].height, b.sizes[s].height);
        EXPECT_EQ(a.sizes[s].url, b.sizes[s].url);
    }
    EXPECT_EQ(a.farm, b.farm);
    EXPECT_EQ(a.license, b.license);
    EXPECT_EQ(a.media, b.media);
    EXPECT_EQ(a.dateTaken, b.dateTaken);
    EXPECT_EQ(a.title, b.title);
    EXPECT_EQ(a.ownerName, b.ownerName);
    EXPECT_EQ(a.owner, b.owner);
    EXPECT_EQ(a.pathAlias, b.pathAlias);
    if (local_slot) {
        EXPECT_EQ(a.localWidth, b.localWidth);
        EXPECT_EQ(a.localHeight, b.localHeight);
        EXPECT_EQ(a.localPath, b.localPath);
    }
}

class ItemListFile : public ::testing::Test {
protected:
    TempFolder folder;
    WallPaperItemBase_CL list;
    void SetUp() override { list.set_path(folder.file(L"list.dat")); }
};

}  // namespace

TEST_F(ItemListFile, EmptyItemAndEmptyListHaveTheirExactSizes)
{
    ASSERT_EQ(list.save(), S_OK);
    EXPECT_EQ(read_file(list.path), (std::vector<unsigned char>{0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(list.load(), E_FAIL);
    EXPECT_TRUE(list.items.empty());

    list.items.push_back(ImageItem_CL());
    ASSERT_EQ(list.save(), S_OK);
    EXPECT_EQ(read_file(list.path).size(), 8u + 152u);
}

TEST_F(ItemListFile, WritesExactlyTheDocumentedBytes)
{
    ListBytes expected;
    expected.i32(0x00010000).i32(3).record(1, true).record(2, true).record(3, true);
    for (int n = 1; n <= 3; ++n) list.items.push_back(sample_item(n));
    ASSERT_EQ(list.save(), S_OK);
    EXPECT_EQ(read_file(list.path), expected.bytes);
    EXPECT_FALSE(testing_support::file_exists(list.path + L".tmp"));
}

TEST_F(ItemListFile, ReadsFilesOfTheIndependentWriterIncludingOldRecords)
{
    ListBytes file;
    file.i32(0x00010000).i32(3).record(1, true).record(2, false).record(3, true);
    ASSERT_TRUE(write_file(list.path, file.bytes));
    ASSERT_EQ(list.load(), S_OK);
    ASSERT_EQ(list.items.size(), 3u);
    EXPECT_EQ(list.changed, 1);
    expect_same(list.items[0], sample_item(1));
    expect_same(list.items[1], sample_item(2), false);
    EXPECT_EQ(list.items[1].localPath, L"");
    EXPECT_EQ(list.items[1].localWidth, 0);
    expect_same(list.items[2], sample_item(3));

    // Saved again, every record carries the current version and the old one an empty local slot.
    ASSERT_EQ(list.save(), S_OK);
    WallPaperItemBase_CL again;
    again.set_path(list.path);
    ASSERT_EQ(again.load(), S_OK);
    for (const ImageItem_CL& item : again.items) EXPECT_EQ(item.version, 0x00010001);
    expect_same(again.items[1], list.items[1]);
}

TEST_F(ItemListFile, MissingWrongVersionOrEmptyFilesLoadAsEmptyLists)
{
    list.items.push_back(sample_item(1));
    EXPECT_EQ(list.load(), E_FAIL);  // no file
    EXPECT_TRUE(list.items.empty());
    EXPECT_EQ(list.changed, 1);

    ListBytes other_version;
    other_version.i32(0x00020000).i32(1).record(1, true);
    ASSERT_TRUE(write_file(list.path, other_version.bytes));
    EXPECT_EQ(list.load(), E_FAIL);
    EXPECT_TRUE(list.items.empty());

    ListBytes negative;
    negative.i32(0x00010000).i32(-5).record(1, true);
    ASSERT_TRUE(write_file(list.path, negative.bytes));
    EXPECT_EQ(list.load(), E_FAIL);
    EXPECT_TRUE(list.items.empty());
}

TEST_F(ItemListFile, EveryTruncationKeepsTheCompleteRecordsBeforeIt)
{
    ListBytes whole;
    whole.i32(0x00010000).i32(3);
    std::vector<size_t> record_ends;
    for (int n = 1; n <= 3; ++n) {
        whole.record(n, n != 2);
        record_ends.push_back(whole.bytes.size());
    }
    for (size_t cut = 0; cut < whole.bytes.size(); ++cut) {
        const std::vector<unsigned char> part(whole.bytes.begin(), whole.bytes.begin() + static_cast<std::ptrdiff_t>(cut));
        std::vector<ImageItem_CL> items;
        ASSERT_EQ(WallPaperItemBase_CL::decode(part.data(), part.size(), items), E_FAIL) << "cut at " << cut;
        size_t complete = 0;
        while (complete < record_ends.size() && record_ends[complete] <= cut) ++complete;
        ASSERT_EQ(items.size(), complete) << "cut at " << cut;
    }
    // Through a real file as well.
    ASSERT_TRUE(write_file(list.path, std::vector<unsigned char>(whole.bytes.begin(), whole.bytes.begin() + static_cast<std::ptrdiff_t>(record_ends[1]) + 7)));
    EXPECT_EQ(list.load(), E_FAIL);
    ASSERT_EQ(list.items.size(), 2u);
    expect_same(list.items[0], sample_item(1));
}

// Files of several megabytes are read piece by piece: records cross the pieces'
// borders, one record is longer than a piece, and a cut deep inside the file
// still keeps every record before it.
TEST_F(ItemListFile, LargeFilesLoadWholeAcrossTheirReadPieces)
{
    ListBytes whole;
    const int count = 3000;
    whole.i32(0x00010000).i32(count);
    std::vector<size_t> record_ends;
    for (int n = 0; n < count; ++n) {
        if (n == 1500) {
            // A record of about 3 MB: its title alone is longer than a read piece.
            whole.i32(0x00010001).str(L"long");
            for (int s = 0; s < 6; ++s) whole.i32(s).i32(s).str(L"");
            whole.i32(1).i32(2).str(L"photo").str(L"").str(std::wstring(1500000, L'長')).str(L"").str(L"").str(L"");
            whole.i32(0).i32(0).str(L"");
        } else {
            whole.record(n, n % 3 != 0);
        }
        record_ends.push_back(whole.bytes.size());
    }
    ASSERT_GT(whole.bytes.size(), 4u << 20);
    ASSERT_TRUE(write_file(list.path, whole.bytes));
    ASSERT_EQ(list.load(), S_OK);
    ASSERT_EQ(list.items.size(), static_cast<size_t>(count));
    expect_same(list.items[0], sample_item(0), false);
    expect_same(list.items[1499], sample_item(1499), false);
    expect_same(list.items[2999], sample_item(2999));
    EXPECT_EQ(list.items[1500].key, L"long");
    EXPECT_EQ(list.items[1500].title, std::wstring(1500000, L'長'));
    EXPECT_EQ(list.items[1501].key, sample_item(1501).key);

    std::vector<ImageItem_CL> from_memory;
    ASSERT_EQ(WallPaperItemBase_CL::decode(whole.bytes.data(), whole.bytes.size(), from_memory), S_OK);
    ASSERT_EQ(from_memory.size(), list.items.size());
    for (size_t i = 0; i < from_memory.size(); i += 97) expect_same(from_memory[i], list.items[i]);

    for (size_t kept : {1000u, 1500u, 2900u}) {
        const size_t cut = record_ends[kept - 1] + 11;
        ASSERT_TRUE(write_file(list.path, std::vector<unsigned char>(whole.bytes.begin(), whole.bytes.begin() + static_cast<std::ptrdiff_t>(cut))));
        EXPECT_EQ(list.load(), E_FAIL);
        ASSERT_EQ(list.items.size(), kept);
        expect_same(list.items[kept - 1], sample_item(static_cast<int>(kept - 1)), (kept - 1) % 3 != 0);
        EXPECT_TRUE(list.load_for_change());
    }
}

TEST_F(ItemListFile, HostileLengthsAndCountsEndTheLoadSafely)
{
    ListBytes huge_count;
    huge_count.i32(0x00010000).i32(0x7FFFFFFF).record(1, true);
    std::vector<ImageItem_CL> items;
    EXPECT_EQ(WallPaperItemBase_CL::decode(huge_count.bytes.data(), huge_count.bytes.size(), items), E_FAIL);
    EXPECT_EQ(items.size(), 1u);

    for (int32_t length : {-1, 0x7FFFFFFF, 0x40000000, 1000}) {
        ListBytes bad;
        bad.i32(0x00010000).i32(2).record(1, true).i32(0x00010001).i32(length);
        bad.bytes.resize(bad.bytes.size() + 64, 'x');
        EXPECT_EQ(WallPaperItemBase_CL::decode(bad.bytes.data(), bad.bytes.size(), items), E_FAIL) << length;
        EXPECT_EQ(items.size(), 1u) << length;
    }
}

TEST_F(ItemListFile, StringsEndAtTheirFirstZeroUnit)
{
    ListBytes file;
    file.i32(0x00010000).i32(1).record(1, true);
    // The key "key-1" has 5 units: put a zero unit at the third.
    file.bytes[8 + 4 + 4 + 2 * 2] = 0;
    std::vector<ImageItem_CL> items;
    ASSERT_EQ(WallPaperItemBase_CL::decode(file.bytes.data(), file.bytes.size(), items), S_OK);
    EXPECT_EQ(items[0].key, L"ke");

    // Texts are searched for their zero several units at a time: a zero at
    // any place, among units with high bits set, ends the text exactly there.
    const wchar_t units[] = {L'\x0001', L'\x8000', L'\xFFFF', L'\x3042', L'a', L'\x0100'};
    for (size_t length = 1; length <= 11; ++length) {
        for (size_t zero = 0; zero <= length; ++zero) {
            std::wstring text;
            for (size_t i = 0; i < length; ++i) text += units[(i + length) % 6];
            if (zero < length) text[zero] = L'\0';
            if (zero + 2 < length) text[zero + 2] = L'\0';
            std::vector<unsigned char> bytes;
            ItemWriter out(bytes);
            out.put_string(text);
            out.put_int(77);
            ItemReader in(bytes.data(), bytes.size());
            std::wstring read;
            int32_t after = 0;
            ASSERT_TRUE(in.get_string(read) && in.get_int(after)) << length << " " << zero;
            EXPECT_EQ(read, text.substr(0, zero)) << length << " " << zero;
            EXPECT_EQ(after, 77);
        }
    }
}

TEST_F(ItemListFile, SaveThatCannotWriteLeavesTheOldFile)
{
    list.items.push_back(sample_item(1));
    ASSERT_EQ(list.save(), S_OK);
    const std::vector<unsigned char> before = read_file(list.path);

    // Another writer holds the temporary file.
    KernelHandle blocker(CreateFileW((list.path + L".tmp").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(blocker);
    list.items.push_back(sample_item(2));
    EXPECT_EQ(list.save(), E_FAIL);
    EXPECT_EQ(read_file(list.path), before);
    blocker.reset();

    // A folder that does not exist.
    WallPaperItemBase_CL nowhere;
    nowhere.set_path(folder.file(L"missing\\list.dat"));
    EXPECT_EQ(nowhere.save(), E_FAIL);
}

TEST_F(ItemListFile, FindComparesKeysExactly)
{
    ImageItem_CL a, b, c;
    a.key = L"http://farm1.example/abc";
    b.key = L"http://farm1.example/ABC";
    c.key = L"http://farm1.example/abc";
    list.items = {a, b, c};
    size_t index = 99;
    ASSERT_TRUE(list.find(b, &index));
    EXPECT_EQ(index, 1u);
    ASSERT_TRUE(list.find(c, &index));
    EXPECT_EQ(index, 0u);
    ImageItem_CL d;
    d.key = L"http://farm1.example/Abc";
    EXPECT_FALSE(list.find(d, &index));
    list.erase_at(0);
    list.erase_at(7);
    ASSERT_EQ(list.items.size(), 2u);
    EXPECT_EQ(list.items[0].key, b.key);
}

TEST(ImageItem, BestSizeIsTheLocalSlotElseTheLargestSizeWithAUrl)
{
    ImageItem_CL item;
    ImageItem_CL::Size best;
    EXPECT_FALSE(item.best_size(best));
    item.sizes[1] = {100, 75, L"t"};
    item.sizes[4] = {640, 480, L"z"};
    item.sizes[5] = {4000, 3000, L""};
    ASSERT_TRUE(item.best_size(best));
    EXPECT_EQ(best.url, L"z");
    EXPECT_EQ(best.width, 640);
    item.localPath = L"C:\\a.jpg";
    item.localWidth = 12;
    item.localHeight = 34;
    ASSERT_TRUE(item.best_size(best));
    EXPECT_EQ(best.url, L"C:\\a.jpg");
    EXPECT_EQ(best.height, 34);
}
