#include "mainwindow/tabs/TabViewUser_CL.h"

#include <algorithm>

#include "photoservice/FlickrXmlHelper_CL.h"
#include "store/SettingsKeys.h"
#include "mainwindow/MyFlickerListBox_CL.h"

TabViewUser_CL::TabViewUser_CL() : SearchTabView_CL(5, 8, L"指定したユーザーの写真", keys::kSearchHistoryUser, kBoxId) {}

void TabViewUser_CL::search_for_user(const std::wstring& name)
{
    take_text(name);
    activate();
}

namespace {

// The photos the photosets announce. A negative count adds nothing, and an
// absurd sum from a broken answer stops at far more rows than anyone scrolls.
size_t announced_photos(const std::vector<PhotosetRecord>& photosets)
{
    constexpr size_t kMostRows = 100000;
    size_t total = 0;
    for (const PhotosetRecord& photoset : photosets)
        total = std::min(kMostRows, total + static_cast<size_t>(std::max<int32_t>(0, photoset.photos)));
    return total;
}

}  // namespace

void TabViewUser_CL::load()
{
    FlickrXmlHelper_CL client;
    BusyScope busy(busy_indicator());
    set_active_client(&client);
    std::vector<UserRecord> users;
    std::vector<PhotosetRecord> photosets;
    ServiceOutcome failure;
    // The list is replaced once the user's photosets are known; a search that
    // fails before that keeps it.
    bool replaced = false;
    const auto show = [this, &replaced](std::vector<ImageItem_CL> records, size_t announced_total) {
        if (stop_requested || !list_) return;
        if (replaced) list_->append_records(std::move(records), announced_total);
        else list_->replace_records(std::move(records), announced_total);
        replaced = true;
    };
    if (client.find_user_by_name(current_text_, FlickrXmlHelper_CL::kPageSize, users) != S_OK ||
        (!users.empty() && client.get_photoset_list(users.front().id, photosets) != S_OK)) {
        failure = client.outcome();
    } else {
        // The caption shows the announced total while the photos arrive.
        show({}, announced_photos(photosets));
        request_caption_update();
        for (const PhotosetRecord& photoset : photosets) {
            if (stop_requested) break;
            std::vector<ImageItem_CL> records;
            if (client.get_photoset_photos(photoset.id, records) != S_OK) {
                if (!failure.failed()) failure = client.outcome();
                continue;
            }
            show(std::move(records), 0);
        }
    }
    set_outcome(failure);
    set_active_client(nullptr);
    busy.end();
    finish_load();
}
