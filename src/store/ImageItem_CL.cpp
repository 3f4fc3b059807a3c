#include "store/ImageItem_CL.h"

#include "store/ItemStream.h"

void ImageItem_CL::save(ItemWriter& out) const
{
    out.put_int(kVersion);
    out.put_string(key);
    for (const Size& size : sizes) {
        out.put_int(size.width);
        out.put_int(size.height);
        out.put_string(size.url);
    }
    out.put_int(farm);
    out.put_int(license);
    for (const std::wstring* text : {&media, &dateTaken, &title, &ownerName, &owner, &pathAlias})
        out.put_string(*text);
    out.put_int(localWidth);
    out.put_int(localHeight);
    out.put_string(localPath);
}

bool ImageItem_CL::load(ItemReader& in)
{
    in.get_int(version);
    in.get_string(key);
    for (Size& size : sizes) {
        in.get_int(size.width);
        in.get_int(size.height);
        in.get_string(size.url);
    }
    in.get_int(farm);
    in.get_int(license);
    for (std::wstring* text : {&media, &dateTaken, &title, &ownerName, &owner, &pathAlias})
        in.get_string(*text);
    if (version >= kVersion) {
        in.get_int(localWidth);
        in.get_int(localHeight);
        in.get_string(localPath);
    }
    return in.ok();
}

bool ImageItem_CL::best_size(Size& best) const
{
    if (!localPath.empty()) {
        best = Size{localWidth, localHeight, localPath};
        return true;
    }
    for (int i = kSizeCount - 1; i >= 0; --i) {
        if (!sizes[i].url.empty()) {
            best = sizes[i];
            return true;
        }
    }
    return false;
}
