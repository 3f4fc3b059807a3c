#include "mainwindow/tabs/TabViewUser_CL.h"

#include "photoservice/FlickrXmlHelper_CL.h"
#include "store/SettingsKeys.h"
#include "mainwindow/MyFlickerListBox_CL.h"

TabViewUser_CL::TabViewUser_CL() : SearchTabView_CL(5, 8, L"指定したユーザーの写真", keys::kSearchHistoryUser, kBoxId) {}

void TabViewUser_CL::search_for_user(const std::wstring& name)
{
    take_text(name);
    activate();
}

void TabViewUser_CL::load()
{
    FlickrXmlHelper_CL client;
    begin_busy();
    set_active_client(&client);
    std::vector<UserRecord> users;
    std::vector<PhotosetRecord> photosets;
    ServiceOutcome failure;
    // The first set shown replaces the list; a search that fails before keeps it.
    bool replaced = false;
    const auto show = [this, &replaced](std::vector<ImageItem_CL> records) {
        if (stop_requested || !list_) return;
        if (replaced) list_->append_records(std::move(records));
        else list_->replace_records(std::move(records));
        replaced = true;
    };
    if (client.find_user_by_name(current_text_, kPageSize, users) != S_OK ||
        (!users.empty() && client.get_photoset_list(users.front().id, photosets) != S_OK)) {
        failure = client.outcome();
    } else {
        for (const PhotosetRecord& photoset : photosets) {
            if (stop_requested) break;
            std::vector<ImageItem_CL> records;
            if (client.get_photoset_photos(photoset.id, records) != S_OK) {
                if (!failure.failed()) failure = client.outcome();
                continue;
            }
            show(std::move(records));
        }
        if (!replaced && !failure.failed()) show({});
    }
    set_outcome(failure);
    set_active_client(nullptr);
    end_busy();
    finish_load();
}
