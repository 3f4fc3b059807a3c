#include "mainwindow/tabs/MyFindFile_CL.h"

#include "wallpaper/LocalImageItem.h"

void MyFindFile_CL::on_file(const std::wstring& folder, const std::wstring& name)
{
    if (local_image::has_jpeg_extension(name)) items.push_back(local_image::named_item(folder, name));
}
