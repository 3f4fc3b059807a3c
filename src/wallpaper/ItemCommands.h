#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "store/ImageItem_CL.h"

class WallPaperItemBase_CL;

// The stored-list changes of the item commands. Each re-reads the list's file
// under the file mutex, changes what it read, saves it and only then hands the
// result to the window's in-memory copy (marked changed), so a record the tray
// process wrote meanwhile is never overwritten by a stale copy. False, with
// file and copy unchanged, when the file could not be read or written.
namespace item_commands {

constexpr size_t kCandidateLimit = 30000;

// Puts the record at the front of the candidates, as the only copy of its key;
// the oldest record goes when the list is full. A photo-service record loses
// its local slot: the candidate is fetched from the service when drawn.
[[nodiscard]] bool add_candidate(ImageItem_CL record);
// Removes every record whose key is one of keys.
[[nodiscard]] bool remove_keys(WallPaperItemBase_CL& stored, const std::vector<std::wstring>& keys);
// Has save_bytes write the picture to the next favourite file and puts the record,
// pointing at that file with the record's best size, at the front of the
// favourites (and of shown, the window's copy, when given). Nothing is added
// when the picture holds nothing or its file cannot be written.
using SaveBytes = std::function<HRESULT(const std::wstring& path)>;
[[nodiscard]] bool add_favourite(ImageItem_CL record, const SaveBytes& save_bytes, WallPaperItemBase_CL* shown = nullptr);
// Deletes the picture file of a favourite record, but only one that lies in
// the favourite-image folder: a record may name a file of the user's own.
[[nodiscard]] bool delete_favourite_file(const ImageItem_CL& record);
// Whether path names something below folder (after resolving "." and "..").
bool is_inside_folder(const std::wstring& path, const std::wstring& folder);

}  // namespace item_commands
