#include "store/WallPaperItemBase_CL.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "base/Trace.h"
#include "store/AppSettings_CL.h"
#include "store/ItemStream.h"

namespace {

// No real list comes near this; a larger file is damaged or hostile.
constexpr LONGLONG kMaxListFileBytes = 1LL << 30;
// The smallest record: version 0x00010000, all strings empty.
constexpr size_t kMinRecordBytes = 4 + 6 + 6 * 14 + 8 + 6 * 6;

// A list is read piece by piece into one buffer that is used again, rather than
// whole: the records alone then take new memory, which under Wine costs as much
// as the reading itself.
constexpr size_t kReadPiece = 1u << 20;

constexpr int32_t kNoRecords = 0;

// The list version and count at the start of a list file; false when the
// header is incomplete or the file holds no records of this format.
bool read_header(ItemReader& in, int32_t& count)
{
    int32_t version = 0;
    count = kNoRecords;
    return in.get_int(version) && in.get_int(count) && version == WallPaperItemBase_CL::kListVersion && count > 0;
}

// Appends the complete records at the start of the bytes, at most `wanted` of
// them, and counts them off `wanted`. Returns the bytes they took.
size_t append_records(const unsigned char* data, size_t size, int32_t& wanted, std::vector<ImageItem_CL>& items)
{
    size_t used = 0;
    while (wanted > 0) {
        ItemReader in(data + used, size - used);
        items.emplace_back();
        if (!items.back().load(in)) {
            items.pop_back();
            break;
        }
        used += in.consumed();
        --wanted;
    }
    return used;
}

// The count is untrusted: reserve no more than the bytes could hold.
void reserve_for(std::vector<ImageItem_CL>& items, int32_t count, size_t bytes)
{
    items.reserve(std::min<size_t>(static_cast<size_t>(count), bytes / kMinRecordBytes));
}

enum class ReadResult { Read, Missing, Unreadable };

// An item-list file being read: the unread records sit at the start of a
// buffer that is refilled from the file as they are taken.
class ListFileReader {
public:
    ReadResult open(const std::wstring& path)
    {
        file_.reset(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!file_) {
            const DWORD error = GetLastError();
            return (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) ? ReadResult::Missing
                                                                                    : ReadResult::Unreadable;
        }
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(file_.get(), &size) || size.QuadPart > kMaxListFileBytes) return ReadResult::Unreadable;
        size_ = static_cast<size_t>(size.QuadPart);
        buffer_.resize(std::min(size_, kReadPiece));
        return ReadResult::Read;
    }

    // Reads the records into items; Unreadable when the file could not be read
    // to its end, Read otherwise (and `complete` says whether every record was there).
    ReadResult read_records(std::vector<ImageItem_CL>& items, bool& complete)
    {
        complete = false;
        if (!fill()) return ReadResult::Unreadable;
        ItemReader header(buffer_.data(), filled_);
        int32_t count = kNoRecords;
        if (!read_header(header, count)) return ReadResult::Read;
        start_ = header.consumed();
        reserve_for(items, count, size_ - start_);
        while (true) {
            start_ += append_records(buffer_.data() + start_, filled_ - start_, count, items);
            if (count == 0) {
                complete = true;
                return ReadResult::Read;
            }
            if (at_end_) return ReadResult::Read;  // a damaged tail: keep the complete records
            if (!fill()) return ReadResult::Unreadable;
        }
    }

private:
    // Moves the unfinished record to the front and reads on behind it; the
    // buffer grows when one record does not fit.
    bool fill()
    {
        filled_ -= start_;
        std::memmove(buffer_.data(), buffer_.data() + start_, filled_);
        start_ = 0;
        // Never beyond what the rest of the file can hold.
        if (filled_ == buffer_.size()) buffer_.resize(filled_ + std::min(filled_ + 8, size_ - std::min(size_, read_)));
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<size_t>(buffer_.size() - filled_, 1u << 24));
        if (!ReadFile(file_.get(), buffer_.data() + filled_, want, &got, nullptr)) return false;
        filled_ += got;
        read_ += got;
        at_end_ = got == 0 || read_ >= size_;
        return true;
    }

    KernelHandle file_;
    size_t size_ = 0;
    size_t read_ = 0;
    std::vector<unsigned char> buffer_;
    size_t start_ = 0;
    size_t filled_ = 0;
    bool at_end_ = false;
};

bool write_all(HANDLE file, const std::vector<unsigned char>& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD put = 0;
        const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 24));
        if (!WriteFile(file, bytes.data() + done, want, &put, nullptr) || put == 0) return false;
        done += put;
    }
    return true;
}

}  // namespace

bool WallPaperItemBase_CL::candidate_size_filter(const ImageItem_CL& item) const
{
    ImageItem_CL::Size best;
    if (!item.best_size(best)) return false;
    if (AppSettings.cand_check_min_pic != 0 &&
        (best.width < AppSettings.cand_min_width || best.height < AppSettings.cand_min_height))
        return false;
    return AppSettings.cand_width_long == 0 || best.width >= best.height;
}

std::vector<unsigned char> WallPaperItemBase_CL::encode(const std::vector<ImageItem_CL>& items)
{
    std::vector<unsigned char> bytes;
    bytes.reserve(8 + items.size() * 1024);
    ItemWriter out(bytes);
    out.put_int(kListVersion);
    out.put_int(static_cast<int32_t>(items.size()));
    for (const ImageItem_CL& item : items) item.save(out);
    return bytes;
}

HRESULT WallPaperItemBase_CL::decode(const unsigned char* data, size_t size, std::vector<ImageItem_CL>& items)
{
    items.clear();
    ItemReader in(data, size);
    int32_t count = kNoRecords;
    if (!read_header(in, count)) return E_FAIL;
    reserve_for(items, count, in.remaining());
    append_records(data + in.consumed(), in.remaining(), count, items);
    return count == 0 ? S_OK : E_FAIL;
}

HRESULT WallPaperItemBase_CL::load()
{
    bool readable = false;
    return read_and_decode(readable);
}

bool WallPaperItemBase_CL::load_for_change()
{
    bool readable = false;
    read_and_decode(readable);
    return readable;
}

HRESULT WallPaperItemBase_CL::read_and_decode(bool& readable)
{
    items.clear();
    changed = 1;
    ListFileReader file;
    ReadResult read = file.open(path);
    bool complete = false;
    try {
        if (read == ReadResult::Read) read = file.read_records(items, complete);
    } catch (const std::bad_alloc&) {
        // Too many records for this machine's memory: failed and empty, the file as it was.
        trace::failure(L"list too large for memory, loaded empty: " + path);
        std::vector<ImageItem_CL>().swap(items);
        read = ReadResult::Unreadable;
    }
    readable = read != ReadResult::Unreadable;
    // A list that could not be read to its end is not shown in part.
    if (read == ReadResult::Unreadable) items.clear();
    return read == ReadResult::Read && complete ? S_OK : E_FAIL;
}

HRESULT WallPaperItemBase_CL::save() const
{
    const std::vector<unsigned char> bytes = encode(items);
    // Written beside the list and swapped in, so that a crash or a full disk
    // never leaves a torn list. No sharing: a second writer fails instead of mixing.
    const std::wstring temp = path + L".tmp";
    {
        KernelHandle file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return E_FAIL;
        if (!write_all(file.get(), bytes) || !FlushFileBuffers(file.get())) {
            file.reset();
            DeleteFileW(temp.c_str());
            return E_FAIL;
        }
    }
    if (!MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temp.c_str());
        return E_FAIL;
    }
    return S_OK;
}

bool WallPaperItemBase_CL::find(const ImageItem_CL& item, size_t* index) const
{
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].key == item.key) {
            if (index) *index = i;
            return true;
        }
    }
    return false;
}

void WallPaperItemBase_CL::erase_at(size_t index)
{
    if (index < items.size()) items.erase(items.begin() + static_cast<std::ptrdiff_t>(index));
}
