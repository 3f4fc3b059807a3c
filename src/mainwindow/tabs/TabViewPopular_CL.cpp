#include "mainwindow/tabs/TabViewPopular_CL.h"

#include "photoservice/FlickrXmlHelper_CL.h"
#include "mainwindow/MyFlickerListBox_CL.h"

TabViewPopular_CL::TabViewPopular_CL() : ListTabView_CL(3, 3, L"人気の写真") {}

void TabViewPopular_CL::activate()
{
    if (loaded_ == 1 && !last_load_failed()) return;
    loaded_ = 1;
    start_reload_keeping_list();
}

void TabViewPopular_CL::load()
{
    FlickrXmlHelper_CL client;
    BusyScope busy(busy_indicator());
    set_active_client(&client);
    std::vector<ImageItem_CL> records;
    const bool fetched = client.get_interesting_photos(records) == S_OK;
    set_outcome(client.outcome());
    if (fetched && !stop_requested && list_) list_->replace_records(std::move(records));
    set_active_client(nullptr);
    busy.end();
    finish_load();
}

void TabViewPopular_CL::cancel()
{
    abort_load();
    empty_list();
}
