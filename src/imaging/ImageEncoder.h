#pragma once
#include <windows.h>

// The installed GDI+ encoder for a MIME type such as "image/bmp"; false when
// there is none. GDI+ must be started.
bool find_image_encoder(const wchar_t* mime_type, CLSID& clsid);
