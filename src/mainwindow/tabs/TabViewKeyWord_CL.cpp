#include "mainwindow/tabs/TabViewKeyWord_CL.h"

#include "photoservice/FlickrXmlHelper_CL.h"
#include "photoservice/SplitKeywords.h"
#include "store/SettingsKeys.h"
#include "mainwindow/MyFlickerListBox_CL.h"

TabViewKeyWord_CL::TabViewKeyWord_CL() : SearchTabView_CL(4, 9, L"キーワードで検索", keys::kSearchHistory, kBoxId) {}

void TabViewKeyWord_CL::load()
{
    FlickrXmlHelper_CL client;
    begin_busy();
    set_active_client(&client);
    std::vector<ImageItem_CL> records;
    for (const std::wstring& word : split_keywords(current_text_, kMaxWords)) {
        if (stop_requested) break;
        (void)client.search_photos(word, kPageSize, records);
    }
    set_active_client(nullptr);
    // An aborted search shows nothing: a newer one follows.
    if (!stop_requested && list_) list_->append_records(std::move(records));
    end_busy();
    finish_load();
}
