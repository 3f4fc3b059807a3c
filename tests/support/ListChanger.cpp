// Child process for the concurrency tests: changes the candidate list of an
// application folder many times through the same code the two programs use,
// each change a whole-file read-modify-write under the file mutex.
//   tapestrel_list_changer <documents folder> <window|tray> <tag> <changes>
// "window" adds with the item commands of the main window and removes every
// fifth record it added again; "tray" merges one photo at a time as a candidate
// run does. Record keys are <tag><number>. Exit code 0 when every change was
// stored, 1 when one failed, 2 on wrong arguments.
#include <cwchar>
#include <string>

#include <windows.h>

#include "wallpaper/CandidateRun.h"
#include "store/AppSettings_CL.h"
#include "wallpaper/ItemCommands.h"

namespace {

ImageItem_CL photo(const std::wstring& key)
{
    ImageItem_CL item;
    item.key = key;
    item.farm = 3;
    item.title = L"並行 " + key;
    item.sizes[5] = {1600, 1200, L"http://farm.example/" + key + L"_o.jpg"};
    return item;
}

bool window_change(const std::wstring& tag, int n)
{
    if (!item_commands::add_candidate(photo(tag + std::to_wstring(n)))) return false;
    // Every fifth change takes back a record added a few changes before.
    if (n % 5 == 4) return item_commands::remove_keys(AppSettings.candidates, {tag + std::to_wstring(n - 2)});
    return true;
}

bool tray_change(const std::wstring& tag, int n)
{
    return candidate_run::store_candidates({photo(tag + std::to_wstring(n))}) == 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 5) return 2;
    AppSettings.load(argv[1]);
    AppSettings.cand_check_min_pic = 0;
    AppSettings.cand_width_long = 0;
    const bool window = std::wcscmp(argv[2], L"window") == 0;
    const std::wstring tag = argv[3];
    const int changes = _wtoi(argv[4]);
    for (int n = 0; n < changes; ++n) {
        if (!(window ? window_change(tag, n) : tray_change(tag, n))) return 1;
    }
    return 0;
}
