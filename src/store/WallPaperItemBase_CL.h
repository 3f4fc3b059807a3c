#pragma once
#include <string>
#include <vector>

#include <windows.h>

#include "store/ImageItem_CL.h"

// One item-list file: its ordered items, loaded and saved whole.
class WallPaperItemBase_CL {
public:
    static constexpr int32_t kListVersion = 0x00010000;

    std::wstring path;
    std::vector<ImageItem_CL> items;
    int32_t changed = 0;

    virtual ~WallPaperItemBase_CL() = default;

    // Whether an item may be a candidate: it has a size, at least the minimum
    // (unless the minimum check is switched off) and landscape when asked.
    virtual bool candidate_size_filter(const ImageItem_CL& item) const;

    void set_path(const std::wstring& file) { path = file; }
    // S_OK when every record was read. A missing file, another version or no
    // records give E_FAIL with an empty list; a damaged tail gives E_FAIL with
    // the complete records before it.
    [[nodiscard]] HRESULT load();
    // For read-modify-write: loads like load(), but answers false when the file
    // exists and cannot be read (locked, a folder, too large), so the caller
    // changes nothing instead of replacing a list it could not see.
    [[nodiscard]] bool load_for_change();
    // Replaces the file in one step; on failure the old file stays as it was.
    [[nodiscard]] HRESULT save() const;
    // Exact, case-sensitive match on key; the first match wins.
    bool find(const ImageItem_CL& item, size_t* index = nullptr) const;
    void erase_at(size_t index);

    // The binary form of a whole list, and the records read back from it.
    static std::vector<unsigned char> encode(const std::vector<ImageItem_CL>& items);
    static HRESULT decode(const unsigned char* data, size_t size, std::vector<ImageItem_CL>& items);

private:
    HRESULT read_and_decode(bool& readable);
};
