#include "wallpaper/MyFindFileIcon_CL.h"

#include "wallpaper/LocalImageItem.h"

void MyFindFileIcon_CL::on_file(const std::wstring& folder, const std::wstring& name)
{
    if (local_image::has_jpeg_extension(name)) names.add(folder, name);
}
