#include "store/WallPaperItemBase_CL.h"

#include <algorithm>

#include "store/AppSettings_CL.h"
#include "store/ItemStream.h"

namespace {

// No real list comes near this; a larger file is damaged or hostile.
constexpr LONGLONG kMaxListFileBytes = 1LL << 30;
// The smallest record: version 0x00010000, all strings empty.
constexpr size_t kMinRecordBytes = 4 + 6 + 6 * 14 + 8 + 6 * 6;

enum class ReadResult { Read, Missing, Unreadable };

ReadResult read_whole_file(const std::wstring& path, std::vector<unsigned char>& bytes)
{
    KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        return (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) ? ReadResult::Missing : ReadResult::Unreadable;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > kMaxListFileBytes) return ReadResult::Unreadable;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 24));
        if (!ReadFile(file.get(), bytes.data() + done, want, &got, nullptr)) return ReadResult::Unreadable;
        if (got == 0) break;
        done += got;
    }
    bytes.resize(done);
    return ReadResult::Read;
}

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
    int32_t version = 0;
    int32_t count = 0;
    if (!in.get_int(version) || !in.get_int(count) || version != kListVersion || count <= 0) return E_FAIL;
    // The count is untrusted: reserve no more than the bytes could hold.
    items.reserve(std::min<size_t>(static_cast<size_t>(count), in.remaining() / kMinRecordBytes));
    for (int32_t i = 0; i < count; ++i) {
        ImageItem_CL item;
        if (!item.load(in)) return E_FAIL;
        items.push_back(std::move(item));
    }
    return S_OK;
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
    std::vector<unsigned char> bytes;
    const ReadResult read = read_whole_file(path, bytes);
    readable = read != ReadResult::Unreadable;
    return read == ReadResult::Read ? decode(bytes.data(), bytes.size(), items) : E_FAIL;
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
