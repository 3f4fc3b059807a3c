#pragma once
#include <string>
#include <vector>

#include "store/ImageItem_CL.h"

// Records shaped like the service's: six https size URLs of the real length,
// Japanese titles and owner names.
std::vector<ImageItem_CL> realistic_items(int count, const wchar_t* tag);
bool write_bytes(const std::wstring& path, const std::vector<unsigned char>& bytes);
std::vector<unsigned char> read_bytes(const std::wstring& path);
// The fastest of several loads of the list file, each into a fresh list (the
// freeing of the records afterwards is not counted).
double best_fresh_load(int runs, const std::wstring& path);

void figure_list_files(const std::wstring& folder);
void figure_draw(const std::wstring& folder);
void figure_install(const std::wstring& folder);
// A change with a picture per monitor against today's single picture, and the memory of composing.
void figure_monitors(const std::wstring& folder);
void figure_folder_scan(const std::wstring& folder);
void figure_photo_answer();
void figure_candidates_tab(const std::wstring& folder);
// The tray process measured from outside against a program with one hidden window.
void figure_tray_footprint(const std::wstring& folder);
