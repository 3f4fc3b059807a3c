#include "mainwindow/tabs/MyFindFile_CL.h"

#include "wallpaper/LocalImageItem.h"

void MyFindFile_CL::on_file(const std::wstring& folder, const std::wstring& name)
{
    ImageItem_CL item;
    if (local_image::make_item(folder, name, local_image::DateSource::Creation, item)) items.push_back(std::move(item));
}
