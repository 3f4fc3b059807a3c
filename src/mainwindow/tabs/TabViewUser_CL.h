#pragma once
#include "mainwindow/tabs/SearchTabView_CL.h"

// The photos of a named user, photoset by photoset.
class TabViewUser_CL : public SearchTabView_CL {
public:
    static constexpr int kBoxId = 0x1124;

    TabViewUser_CL();
    void load() override;
    // "この撮影者の写真を検索する": searches the name as if typed into the box.
    void search_for_user(const std::wstring& name) override;
};
