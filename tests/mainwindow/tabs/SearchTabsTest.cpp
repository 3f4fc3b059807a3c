#include <gtest/gtest.h>

#include <algorithm>

#include "TabsTestSupport.h"
#include "UiTestSupport.h"
#include "store/AppSettings_CL.h"
#include "winui/HistoryComboBox_CL.h"
#include "mainwindow/tabs/SearchTabView_CL.h"

using namespace testing_support;
using namespace tabs_testing;

namespace {

constexpr int kPopularTab = 3;
constexpr int kKeywordTab = 4;
constexpr int kUserTab = 5;

class SearchTabsTest : public MainWindowFixture {
protected:
    // How many queries of the method the stand-in received.
    size_t queries_of(const std::string& method) const
    {
        const std::vector<std::string> all = requests();
        return static_cast<size_t>(std::count_if(all.begin(), all.end(), [&](const std::string& request) {
            return request.find("method=" + method + "&") != std::string::npos;
        }));
    }
    // The words the keyword searches asked for, in order.
    std::vector<std::string> searched_words() const
    {
        std::vector<std::string> words;
        for (const std::string& request : requests()) {
            const size_t text = request.rfind("&text=");
            if (request.find("method=flickr.photos.search") != std::string::npos && text != std::string::npos)
                words.push_back(request.substr(text + 6));
        }
        return words;
    }
    HistoryComboBox_CL& keyword_box() const
    {
        return static_cast<SearchTabView_CL*>(window_->tab_view(kKeywordTab))->history_box();
    }
};

}  // namespace

TEST_F(SearchTabsTest, EveryWordIsSearchedAndTheResultsFollowInWordOrder)
{
    serve_answer_for("text=a", photos_answer({"a1", "a2"}));
    serve_answer_for("text=b", photos_answer({"b1"}));
    open();
    select_tab(kKeywordTab);
    enter_text(kKeywordTab, L"a b a");
    ASSERT_TRUE(wait_for_rows(kKeywordTab, 5));
    EXPECT_EQ(titles_of(rows(kKeywordTab)), (std::vector<std::wstring>{L"a1", L"a2", L"b1", L"a1", L"a2"}));
    EXPECT_EQ(searched_words(), (std::vector<std::string>{"a", "b", "a"}));
    EXPECT_TRUE(wait_for_caption(kKeywordTab, L"キーワードで検索(5)"));
}

TEST_F(SearchTabsTest, OnlyTheFirstTenWordsAreSearched)
{
    serve_answer_for("text=w10", photos_answer({"tenth"}));
    open();
    select_tab(kKeywordTab);
    enter_text(kKeywordTab, L"w1 w2 w3 w4 w5 w6 w7 w8 w9 w10 w11 w12");
    // The records are listed once every word has been searched.
    ASSERT_TRUE(wait_for_rows(kKeywordTab, 1));
    EXPECT_EQ(searched_words(),
              (std::vector<std::string>{"w1", "w2", "w3", "w4", "w5", "w6", "w7", "w8", "w9", "w10"}));
}

TEST_F(SearchTabsTest, BlanksAndIdeographicSpacesSearchNothing)
{
    open();
    select_tab(kKeywordTab);
    mark_caption(kKeywordTab);
    enter_text(kKeywordTab, L"  \x3000 \x3000\x3000 ");
    ASSERT_TRUE(wait_for_caption(kKeywordTab, L"キーワードで検索(0)"));
    EXPECT_TRUE(requests().empty());
    EXPECT_EQ(list_count(kKeywordTab), 0);
}

TEST_F(SearchTabsTest, TheFiftyFirstKeywordDropsTheOldestAndARepeatMovesToTheTop)
{
    std::vector<std::wstring> full;
    for (int i = 0; i < 50; ++i) full.push_back(L"k" + std::to_wstring(i));
    store_history(L"SEARCH_HISTORY", full);
    serve_answer_for("text=k20", photos_answer({"twenty"}));
    open();
    select_tab(kKeywordTab);
    EXPECT_EQ(keyword_box().count(), 50);

    enter_text(kKeywordTab, L"fresh");
    std::vector<std::wstring> stored = stored_history(L"SEARCH_HISTORY");
    ASSERT_EQ(stored.size(), 50u);
    EXPECT_EQ(stored[0], L"fresh");
    EXPECT_EQ(stored[1], L"k0");
    EXPECT_EQ(stored[49], L"k48");
    EXPECT_EQ(keyword_box().entries(), stored);
    EXPECT_EQ(keyword_box().count(), 50);

    enter_text(kKeywordTab, L"k20");
    ASSERT_TRUE(wait_for_rows(kKeywordTab, 1));
    stored = stored_history(L"SEARCH_HISTORY");
    ASSERT_EQ(stored.size(), 50u);
    EXPECT_EQ(stored[0], L"k20");
    EXPECT_EQ(stored[1], L"fresh");
    EXPECT_EQ(std::count(stored.begin(), stored.end(), L"k20"), 1);

    // The text shown already: nothing is searched again.
    enter_text(kKeywordTab, L"k20");
    EXPECT_EQ(list_count(kKeywordTab), 1);
    EXPECT_EQ(stored_history(L"SEARCH_HISTORY"), stored);
}

TEST_F(SearchTabsTest, ANewKeywordAbortsTheSearchUnderWayAndNoneOfItsResultsReachTheNewList)
{
    serve_answer_for("text=old", photos_answer({"o1", "o2"}));
    serve_answer_for("text=new", photos_answer({"n1"}));
    // Every query waits at the gate until the test opens it.
    point_service_at(L"_gate");
    open();
    select_tab(kKeywordTab);
    enter_text(kKeywordTab, L"old");
    ASSERT_TRUE(ui_testing::pump_until([&] { return searched_words() == std::vector<std::string>{"old"}; }));

    enter_text(kKeywordTab, L"new");
    ASSERT_TRUE(ui_testing::pump_until([&] { return searched_words() == std::vector<std::string>{"old", "new"}; }));
    // Had the old query not been given up, the new one would have waited for it to pass the gate.
    const std::string passed = "PASS /_gate/" + std::string(service_folder_.begin(), service_folder_.end()) + "/";
    EXPECT_EQ(http_log(L"_gates.log").find(passed), std::string::npos);
    open_gate();
    ASSERT_TRUE(wait_for_rows(kKeywordTab, 1));
    ASSERT_TRUE(wait_for_caption(kKeywordTab, L"キーワードで検索(1)"));
    EXPECT_EQ(titles_of(rows(kKeywordTab)), (std::vector<std::wstring>{L"n1"}));
}

TEST_F(SearchTabsTest, PopularPhotosAreFetchedOncePerWindow)
{
    serve_answer_for("method=flickr.interestingness.getList", photos_answer({"p1", "p2", "p3"}));
    open();
    select_tab(kPopularTab);
    ASSERT_TRUE(wait_for_rows(kPopularTab, 3));
    ASSERT_TRUE(wait_for_caption(kPopularTab, L"人気の写真(3)"));
    select_tab(1);
    select_tab(kPopularTab);
    // A new fetch would empty the list before the switch returns.
    EXPECT_EQ(list_count(kPopularTab), 3);
    EXPECT_EQ(queries_of("flickr.interestingness.getList"), 1u);
}

TEST_F(SearchTabsTest, AUserSearchListsEveryPhotosetOfTheFirstUserFound)
{
    serve_answer_for("method=flickr.people.findByUsername",
                     answer("<user id=\"77@N00\" nsid=\"77@N00\"><username>someone</username></user>"));
    serve_answer_for("method=flickr.photosets.getList",
                     answer("<photosets><photoset id=\"s1\" photos=\"2\"/><photoset id=\"s2\" photos=\"4\"/></photosets>"));
    serve_answer_for("photoset_id=s1", photos_answer({"s1a", "s1b"}, "photoset"));
    // Fewer photos than announced arrive: the caption keeps the announced total.
    serve_answer_for("photoset_id=s2", photos_answer({"s2a"}, "photoset"));
    open();
    select_tab(kUserTab);
    enter_text(kUserTab, L"someone");
    ASSERT_TRUE(wait_for_caption(kUserTab, L"指定したユーザーの写真(6)"));
    ASSERT_TRUE(ui_testing::pump_until([&] { return rows(kUserTab).size() == 3; }));
    EXPECT_EQ(list_count(kUserTab), 6);
    EXPECT_EQ(titles_of(rows(kUserTab)), (std::vector<std::wstring>{L"s1a", L"s1b", L"s2a"}));
    ASSERT_FALSE(requests().empty());
    EXPECT_NE(requests()[0].find("&username=someone"), std::string::npos);
}

TEST_F(SearchTabsTest, ASearchTheServiceRefusesKeepsTheListShownAndTheStatusBarSaysWhy)
{
    serve_answer_for("text=sea", photos_answer({"s1", "s2"}));
    serve_answer_for("text=sky", "<rsp stat=\"fail\"><err code=\"105\" msg=\"Service currently unavailable\" /></rsp>");
    open();
    select_tab(kKeywordTab);
    enter_text(kKeywordTab, L"sea");
    ASSERT_TRUE(wait_for_rows(kKeywordTab, 2));
    const HWND bar = GetDlgItem(hwnd(), 0x3400);
    const auto status = [bar] {
        wchar_t text[256] = {};
        GetWindowTextW(bar, text, 256);
        return std::wstring(text);
    };
    enter_text(kKeywordTab, L"sky");
    ASSERT_TRUE(ui_testing::pump_until([&] { return !status().empty(); }));
    EXPECT_EQ(status(), L"Flickrが拒否しました: Service currently unavailable (105)");
    EXPECT_EQ(titles_of(rows(kKeywordTab)), (std::vector<std::wstring>{L"s1", L"s2"}));
    EXPECT_EQ(tab_text(strip(), kKeywordTab), L"キーワードで検索(2)");
}
