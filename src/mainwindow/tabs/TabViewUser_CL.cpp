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
    if (client.find_user_by_name(current_text_, kPageSize, users) == S_OK && !stop_requested && !users.empty() &&
        client.get_photoset_list(users.front().id, photosets) == S_OK) {
        for (const PhotosetRecord& photoset : photosets) {
            std::vector<ImageItem_CL> records;
            if (client.get_photoset_photos(photoset.id, records) != S_OK && records.empty()) continue;
            if (stop_requested) break;
            if (list_) list_->append_records(std::move(records));
        }
    }
    set_active_client(nullptr);
    end_busy();
    finish_load();
}
