#include "mainwindow/tabs/TabViewKeyWord_CL.h"

#include "photoservice/FlickrXmlHelper_CL.h"
#include "photoservice/SplitKeywords.h"
#include "store/SettingsKeys.h"
#include "mainwindow/MyFlickerListBox_CL.h"

TabViewKeyWord_CL::TabViewKeyWord_CL() : SearchTabView_CL(4, 9, L"キーワードで検索", keys::kSearchHistory, kBoxId) {}

void TabViewKeyWord_CL::load()
{
    FlickrXmlHelper_CL client;
    BusyScope busy(busy_indicator());
    set_active_client(&client);
    std::vector<ImageItem_CL> records;
    ServiceOutcome failure;
    bool any_answered = false;
    for (const std::wstring& word : split_keywords(current_text_, kMaxWords)) {
        if (stop_requested) break;
        if (client.search_photos(word, FlickrXmlHelper_CL::kPageSize, records) == S_OK) any_answered = true;
        else if (!failure.failed()) failure = client.outcome();
    }
    set_active_client(nullptr);
    set_outcome(failure);
    // An aborted search shows nothing: a newer one follows. One that failed
    // for every word keeps the list shown before.
    if (!stop_requested && any_answered && list_) list_->replace_records(std::move(records));
    busy.end();
    finish_load();
}
