#pragma once
// Sections and keys of the settings file "Tapestrel.ini".
namespace keys {

constexpr const wchar_t* kWallPaperInfo = L"WALL_PAPER_INFO";
constexpr const wchar_t* kAutoChange = L"auto_change";
constexpr const wchar_t* kUpdateTimming = L"update_timming";
constexpr const wchar_t* kUpdateDatetime = L"update_datetime";
constexpr const wchar_t* kRandSeed = L"rand_seed";
constexpr const wchar_t* kChangeFavoriteUse = L"change_favorite_use";
constexpr const wchar_t* kChangeCandidateUse = L"change_candidate_use";
constexpr const wchar_t* kChangeLocalFolderUse = L"change_local_folder_use";
constexpr const wchar_t* kChangeLocalFolderUseEdit = L"change_local_folder_use_edit";
constexpr const wchar_t* kDispStyle = L"disp_style";
constexpr const wchar_t* kPerMonitor = L"per_monitor";
constexpr const wchar_t* kSkipFullscreen = L"skip_fullscreen";

constexpr const wchar_t* kInfoGet = L"INFO_GET";
constexpr const wchar_t* kCandAuteAdd = L"cand_aute_add";
constexpr const wchar_t* kCandCheckMinPic = L"cand_check_min_pic";
constexpr const wchar_t* kCandAddMax = L"cand_add_max";
constexpr const wchar_t* kCandMinWidth = L"cand_min_width";
constexpr const wchar_t* kCandMinHeight = L"cand_min_height";
constexpr const wchar_t* kCandWidthLong = L"cand_width_long";
constexpr const wchar_t* kCandSearchKeyword = L"cand_search_keyword";
constexpr const wchar_t* kCandSearchKeywordStr = L"cand_search_keyword_str";
constexpr const wchar_t* kCandCommons = L"cand_commons";
constexpr const wchar_t* kCanLastDay = L"can_last_day";

// Troubleshooting: "trace_log" = 1 appends every traced failure to
// "Tapestrel.log" in the application folder; off when absent.
constexpr const wchar_t* kDiagnostics = L"DIAGNOSTICS";
constexpr const wchar_t* kTraceLog = L"trace_log";

constexpr const wchar_t* kVersion = L"VERSION";
constexpr const wchar_t* kNotify = L"notify";
constexpr const wchar_t* kLastDay = L"last_day";

constexpr const wchar_t* kFlicker = L"FLICKER";
constexpr const wchar_t* kAuth = L"auth";

constexpr const wchar_t* kWindow = L"WINDOW";
constexpr const wchar_t* kPosX = L"posX";
constexpr const wchar_t* kPosY = L"posY";
constexpr const wchar_t* kWidth = L"width";
constexpr const wchar_t* kHeight = L"height";
constexpr const wchar_t* kSplitPos = L"split_pos";

constexpr const wchar_t* kSearchHistory = L"SEARCH_HISTORY";
constexpr const wchar_t* kSearchHistoryUser = L"SEARCH_HISTORY_USER";
constexpr const wchar_t* kSearchHistoryLocalFolder = L"SEARCH_HISTORY_LOCA_FOLDER";
constexpr const wchar_t* kCount = L"count";
constexpr const wchar_t* kItem = L"item";

// Read only: where the service and the support site are, and the credentials.
constexpr const wchar_t* kService = L"SERVICE";
constexpr const wchar_t* kRestUrl = L"rest_url";
constexpr const wchar_t* kWebUrl = L"web_url";
constexpr const wchar_t* kApiKey = L"api_key";
constexpr const wchar_t* kSharedSecret = L"shared_secret";
constexpr const wchar_t* kSupportUrl = L"support_url";
constexpr const wchar_t* kCommonsUrl = L"commons_url";

}  // namespace keys
