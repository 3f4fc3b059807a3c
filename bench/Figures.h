#pragma once
#include <functional>
#include <string>
#include <vector>

#include "store/ImageItem_CL.h"

class MainWindow_CL;

// Records shaped like the service's: six https size URLs of the real length,
// Japanese titles and owner names.
std::vector<ImageItem_CL> realistic_items(int count, const wchar_t* tag);
// A photo-like JPEG written to path: gradients and noise, so it compresses like a real one. Its bytes.
std::vector<unsigned char> make_photo_jpeg(const std::wstring& path, int width, int height);
bool write_bytes(const std::wstring& path, const std::vector<unsigned char>& bytes);
std::vector<unsigned char> read_bytes(const std::wstring& path);
// The fastest of several loads of the list file, each into a fresh list (the
// freeing of the records afterwards is not counted).
double best_fresh_load(int runs, const std::wstring& path);

// Handles this thread's messages until done() holds.
void pump_messages_until(const std::function<bool()>& done);
// Makes tab `index` of the main window the current one, as a click on the strip does.
void select_main_tab(MainWindow_CL& window, int index);

// The tray's settings in this prefix: it draws from the local folder only, and asks no service.
void point_tray_at(const std::wstring& pictures);
// The 30,000 pictures of the library figures, made from a few samples kept in folder.
bool make_library(const std::wstring& folder, const std::wstring& library);

void figure_list_files(const std::wstring& folder);
void figure_draw(const std::wstring& folder);
void figure_install(const std::wstring& folder);
// A change with a picture per monitor against today's single picture, and the memory of composing.
void figure_monitors(const std::wstring& folder);
void figure_photo_answer();
// The bytes one change downloads of a photo-service candidate with a
// 24-megapixel original, for a 1920 x 1080 screen, against the smallest
// offered size that covers it.
void figure_service_bytes(const std::wstring& folder);
void figure_thumbnails(const std::wstring& folder);
void figure_candidates_tab(const std::wstring& folder);
// The tray process measured from outside against a program with one hidden window.
void figure_tray_footprint(const std::wstring& folder);
// A 30,000-picture local folder: a forced change and the local-folder tab
// against the walk of its names, and the tray's memory with it configured.
void figure_library(const std::wstring& folder);
// The tray part of it: forced changes timed against walk_seconds, then its memory after 100 changes.
void figure_library_tray(const std::wstring& library, double walk_seconds);
// The longest wait of a message to the tray window while it makes forced
// changes from a 30,000-picture folder and lays large pictures out again, and
// to the main window while it sets a large favourite as wallpaper, each
// against a window that does nothing, probed meanwhile.
void figure_window_stall(const std::wstring& folder);
