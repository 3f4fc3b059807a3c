#pragma once
#include "mainwindow/tabs/SearchTabView_CL.h"

// Photos found by a keyword search: every word is searched on its own and the
// results follow one another in word order.
class TabViewKeyWord_CL : public SearchTabView_CL {
public:
    static constexpr int kBoxId = 0x1924;
    static constexpr size_t kMaxWords = 10;

    TabViewKeyWord_CL();
    void load() override;
};
