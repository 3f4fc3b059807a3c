// Child process for the crash-safety tests: saves one of two lists to the given
// file over and over, until it is killed. With a fourth argument it signals the
// named event once the first save is done, so the parent kills it while saving.
//   tapestrel_list_saver <file> <items in the first list> <items in the second> [event]
#include <cstdlib>
#include <string>

#include <windows.h>

#include "store/WallPaperItemBase_CL.h"

std::vector<ImageItem_CL> make_list(int count, const wchar_t* tag)
{
    std::vector<ImageItem_CL> items(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        items[static_cast<size_t>(i)].key = std::wstring(tag) + std::to_wstring(i);
        items[static_cast<size_t>(i)].title = L"題名 " + std::to_wstring(i);
        items[static_cast<size_t>(i)].sizes[5].url = L"https://farm.example/" + std::to_wstring(i) + L"_o.jpg";
    }
    return items;
}

int wmain(int argc, wchar_t** argv)
{
    if (argc != 4 && argc != 5) return 2;
    HANDLE ready = argc == 5 ? OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[4]) : nullptr;
    WallPaperItemBase_CL list;
    list.set_path(argv[1]);
    const std::vector<ImageItem_CL> lists[2] = {make_list(_wtoi(argv[2]), L"a"), make_list(_wtoi(argv[3]), L"b")};
    for (unsigned n = 0;; ++n) {
        list.items = lists[n % 2];
        if (list.save() == S_OK && ready) {
            SetEvent(ready);
            CloseHandle(ready);
            ready = nullptr;
        }
    }
}
