#pragma once
#include <functional>
#include <string>
#include <vector>

#include "store/ImageItem_CL.h"

// The one read-modify-write of an item-list file, for every list change in
// both processes: under the file mutex the file is read afresh, changed and
// saved, so a record the other process wrote meanwhile is never overwritten by
// a stale copy. False, with the file unchanged, when the mutex is not held,
// the file cannot be read or written, or change answers false (nothing to
// save). edited, when given, receives the items as saved.
using ListChange = std::function<bool(std::vector<ImageItem_CL>& items)>;
[[nodiscard]] bool edit_list(const std::wstring& path, const ListChange& change,
                             std::vector<ImageItem_CL>* edited = nullptr);
