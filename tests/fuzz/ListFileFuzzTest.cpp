#include <gtest/gtest.h>

#include <algorithm>

#include "../store/ListBytes.h"
#include "FuzzSupport.h"
#include "TestSupport.h"
#include "store/WallPaperItemBase_CL.h"

using testing_support::TempFolder;

namespace {

// Fewer bytes than any record can have: version, seven empty strings of the
// older form and four ints.
constexpr size_t kSmallestRecord = 4 + 6 + 6 * (8 + 6) + 8 + 6 * 6;

struct SampleList {
    std::string bytes;
    std::vector<size_t> record_ends;  // offset after each record
};

std::string as_string(const std::vector<unsigned char>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

// Records of both versions, non-ASCII text and an empty one, as written by an
// independent encoder.
SampleList sample_list()
{
    ListBytes list;
    list.i32(0x00010000).i32(5);
    SampleList sample;
    const auto mark = [&] { sample.record_ends.push_back(list.bytes.size()); };
    list.record(1, true);
    mark();
    list.record(2, false);
    mark();
    list.i32(0x00010001).str(L"");
    for (int s = 0; s < 6; ++s) list.i32(0).i32(0).str(L"");
    list.i32(0).i32(0).str(L"").str(L"").str(L"").str(L"").str(L"").str(L"").i32(0).i32(0).str(L"");
    mark();
    list.record(4, true);
    mark();
    list.record(5, true);
    mark();
    sample.bytes = as_string(list.bytes);
    return sample;
}

std::string encoded(const ImageItem_CL& item)
{
    return as_string(WallPaperItemBase_CL::encode({item}));
}

class ListFileFuzz : public ::testing::Test {
protected:
    SampleList sample = sample_list();
    std::vector<ImageItem_CL> reference;

    void SetUp() override
    {
        ASSERT_EQ(decode(sample.bytes, reference), S_OK);
        ASSERT_EQ(reference.size(), sample.record_ends.size());
    }

    static HRESULT decode(const std::string& bytes, std::vector<ImageItem_CL>& items)
    {
        return WallPaperItemBase_CL::decode(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), items);
    }

    // The records that lie wholly before the first damaged byte.
    size_t intact_records(size_t first_change) const
    {
        size_t count = 0;
        while (count < sample.record_ends.size() && sample.record_ends[count] <= first_change) ++count;
        return count;
    }

    // What every load of damaged bytes must give: the intact records unchanged,
    // nothing sized beyond the bytes, and records that save and load back alike.
    void check_load(const std::string& bytes, size_t first_change, HRESULT result,
                    const std::vector<ImageItem_CL>& items, size_t index) const
    {
        const size_t most = bytes.size() < 8 ? 0 : (bytes.size() - 8) / kSmallestRecord;
        ASSERT_LE(items.size(), most) << fuzz::where(index);
        ASSERT_LE(items.capacity(), std::max<size_t>(most, 1)) << fuzz::where(index);
        if (first_change >= 8) {
            // Header intact: every record before the damage reads as it was written.
            const size_t intact = intact_records(first_change);
            ASSERT_GE(items.size(), intact) << fuzz::where(index);
            for (size_t i = 0; i < intact; ++i)
                ASSERT_EQ(encoded(items[i]), encoded(reference[i])) << "record " << i << ", " << fuzz::where(index);
        }
        if (result != S_OK && result != E_FAIL) FAIL() << "result " << result << ", " << fuzz::where(index);
        std::vector<ImageItem_CL> again;
        const std::string saved = as_string(WallPaperItemBase_CL::encode(items));
        ASSERT_EQ(decode(saved, again), items.empty() ? E_FAIL : S_OK) << fuzz::where(index);
        ASSERT_EQ(saved, as_string(WallPaperItemBase_CL::encode(again))) << fuzz::where(index);
    }
};

}  // namespace

TEST_F(ListFileFuzz, EveryTruncationKeepsTheWholeRecordsBeforeIt)
{
    for (size_t length = 0; length <= sample.bytes.size(); ++length) {
        const std::string cut = sample.bytes.substr(0, length);
        std::vector<ImageItem_CL> items;
        const HRESULT result = decode(cut, items);
        const size_t whole = length < 8 ? 0 : intact_records(length);
        ASSERT_EQ(result, length == sample.bytes.size() ? S_OK : E_FAIL) << "length " << length;
        ASSERT_EQ(items.size(), whole) << "length " << length;
        check_load(cut, length, result, items, length);
    }
}

TEST_F(ListFileFuzz, MutatedListsLoadTheirIntactPrefixWithinTheirSize)
{
    const size_t cases = fuzz::announce("item-list bytes", 24000);
    for (size_t index = 0; index < cases; ++index) {
        size_t first_change = 0;
        const std::string bytes = fuzz::mutated_case("item-list bytes", index, sample.bytes, {}, 6, &first_change);
        std::vector<ImageItem_CL> items;
        const HRESULT result = decode(bytes, items);
        check_load(bytes, first_change, result, items, index);
    }
}

TEST_F(ListFileFuzz, HostileCountsAndLengthsAllocateNoMoreThanTheFileHolds)
{
    // Every int32 of the file in turn: the count, every string length and every number.
    const int32_t hostile[] = {0x7FFFFFFF, static_cast<int32_t>(0x80000000u), -1, 0x3FFFFFFF, 0x40000000, 0x10000000,
                               static_cast<int32_t>(sample.bytes.size()), 1000000};
    size_t index = 0;
    for (size_t at = 4; at + 4 <= sample.bytes.size(); at += 2) {
        for (int32_t value : hostile) {
            std::string bytes = sample.bytes;
            for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((static_cast<uint32_t>(value) >> (8 * i)) & 0xFF);
            std::vector<ImageItem_CL> items;
            const HRESULT result = decode(bytes, items);
            check_load(bytes, fuzz::first_difference(sample.bytes, bytes), result, items, index++);
            if (at == 4) {
                // A count larger than the records: the five records, and E_FAIL for the missing rest.
                ASSERT_EQ(items.size(), value > 5 ? 5u : 0u) << "count " << value;
                ASSERT_EQ(result, E_FAIL) << "count " << value;
            }
        }
    }
    // A file that is nothing but a header announcing two thousand million records.
    ListBytes header;
    header.i32(0x00010000).i32(0x7FFFFFFF).i32(0x00010001).i32(0x7FFFFFF0);
    std::vector<ImageItem_CL> items;
    EXPECT_EQ(decode(as_string(header.bytes), items), E_FAIL);
    EXPECT_TRUE(items.empty());
    EXPECT_LE(items.capacity(), 1u);
    fuzz::expect_peak_memory_below(fuzz::kMemoryBound);
}

TEST_F(ListFileFuzz, DamagedFilesOnDiskLoadTheSameWayAndStayAsTheyWere)
{
    TempFolder folder;
    const std::wstring path = folder.file(L"CandidateWallPaperItems.dat");
    const size_t cases = fuzz::announce("item-list files", 400);
    for (size_t index = 0; index < cases; ++index) {
        size_t first_change = 0;
        const std::string bytes = fuzz::mutated_case("item-list files", index, sample.bytes, {}, 4, &first_change);
        ASSERT_TRUE(fuzz::overwrite_file(path, bytes));
        WallPaperItemBase_CL list;
        list.set_path(path);
        const HRESULT result = list.load();
        check_load(bytes, first_change, result, list.items, index);
        std::vector<ImageItem_CL> in_memory;
        ASSERT_EQ(decode(bytes, in_memory), result) << fuzz::where(index);
        ASSERT_EQ(list.items.size(), in_memory.size()) << fuzz::where(index);
        ASSERT_TRUE(list.load_for_change()) << fuzz::where(index);
        ASSERT_EQ(list.items.size(), in_memory.size()) << fuzz::where(index);
        ASSERT_EQ(testing_support::read_file(path), std::vector<unsigned char>(bytes.begin(), bytes.end()))
            << fuzz::where(index);
    }
}
