#pragma once
#include <cstdint>
#include <string>

class ItemReader;
class ItemWriter;

// Something that has a binary form in the item-list files.
class SaveItemBase_CL {
public:
    virtual ~SaveItemBase_CL() = default;
    virtual void save(ItemWriter& out) const = 0;
    virtual bool load(ItemReader& in) = 0;
};

// One picture: a photo of the photo service or a local image file.
class ImageItem_CL : public SaveItemBase_CL {
public:
    static constexpr int32_t kVersion = 0x00010001;
    static constexpr int32_t kVersionWithoutLocal = 0x00010000;
    static constexpr int kSizeCount = 6;  // "_sq", "_t", "_s", "_m", "_z", "_o"

    struct Size {
        int32_t width = 0;
        int32_t height = 0;
        std::wstring url;
    };

    std::wstring key;
    Size sizes[kSizeCount];
    int32_t localWidth = 0;
    int32_t localHeight = 0;
    std::wstring localPath;
    int32_t version = kVersion;
    int32_t farm = 0;
    int32_t license = 0;
    std::wstring media;
    std::wstring dateTaken;
    std::wstring title;
    std::wstring ownerName;
    std::wstring owner;
    std::wstring pathAlias;

    void save(ItemWriter& out) const override;
    bool load(ItemReader& in) override;

    // The local slot for a local file, else the largest size with a URL; false
    // when there is neither.
    bool best_size(Size& best) const;
};
