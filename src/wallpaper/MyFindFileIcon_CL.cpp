#include "wallpaper/MyFindFileIcon_CL.h"

#include "wallpaper/LocalImageItem.h"

void MyFindFileIcon_CL::on_file(const std::wstring& folder, const std::wstring& name)
{
    ImageItem_CL item;
    if (local_image::make_item(folder, name, local_image::DateSource::LastWrite, item)) items.push_back(std::move(item));
}
