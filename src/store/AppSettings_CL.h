#pragma once
#include <cstdint>
#include <string>

#include "store/ImageItem_CL.h"
#include "store/Inifile_CL.h"
#include "base/Mutex_CL.h"
#include "store/WallPaperItemBase_CL.h"

// The process-wide settings record, filled once at start-up by load().
class AppSettings_CL {
public:
    int32_t notify = 0;
    std::wstring app_folder;
    std::wstring favorite_folder;
    std::wstring program_folder;
    Mutex_CL file_mutex;

    // The main window's item clipboard: marker -1 while empty.
    int32_t clipboard_marker = -1;
    ImageItem_CL clipboard_item;

    WallPaperItemBase_CL favorites;
    WallPaperItemBase_CL candidates;
    WallPaperItemBase_CL history;

    int32_t cand_min_width = 1024;
    int32_t cand_min_height = 768;
    int32_t cand_width_long = 1;
    int32_t cand_aute_add = 0;
    int32_t cand_check_min_pic = 0;
    int32_t cand_add_max = 0;
    int32_t cand_search_keyword = 0;
    std::wstring cand_search_keyword_str;
    // Wikimedia Commons' featured pictures as a second source of candidates.
    int32_t cand_commons = 1;

    ImageItem_CL now_item;
    std::wstring local_folder;

    int32_t dispStyleMax = 4;
    int32_t dispStyleDefault = 4;

    // Forms and creates the folders under the given documents folder, creates
    // the settings file and the file mutex, and reads the start-up keys.
    void load(const std::wstring& documents_folder);
    // The same under the user's documents folder.
    void load();

    void set_folders(const std::wstring& documents_folder);
    void read_candidate_settings();
    void set_layout_limits(DWORD major_version);

    std::wstring favorites_path() const { return app_folder + L"\\FavoriteWallPaperItems.dat"; }
    std::wstring candidates_path() const { return app_folder + L"\\CandidateWallPaperItems.dat"; }
    std::wstring history_path() const { return app_folder + L"\\HistoryWallPaperItems.dat"; }
    std::wstring now_items_path() const { return app_folder + L"\\NowWallPaperItems.dat"; }
    std::wstring now_picture_path() const { return app_folder + L"\\Tapestrel_NowWallPaper.jpg"; }
    std::wstring now_bitmap_path() const { return app_folder + L"\\Tapestrel_NowWallPaper.bmp"; }
    std::wstring settings_path() const { return app_folder + L"\\Tapestrel.ini"; }
    std::wstring log_path() const { return app_folder + L"\\Tapestrel.log"; }

    // Loads favourites, candidates and history under the file mutex.
    void load_all_lists();
    // The first "WallPaper_%05d.jpg" in the favourite folder that does not
    // exist yet; empty when all 10000 do.
    std::wstring next_favorite_file_name() const;
};

extern AppSettings_CL AppSettings;
extern Inifile_CL AppInifile;

// The user's documents folder; empty when the platform cannot say.
std::wstring documents_folder();
