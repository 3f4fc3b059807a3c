#include <gtest/gtest.h>

#include "TestSupport.h"
#include "base/KernelHandle.h"
#include "store/AppSettings_CL.h"
#include "store/ListEdit.h"

using testing_support::TempFolder;
using testing_support::read_file;

namespace {

ImageItem_CL keyed(const std::wstring& key)
{
    ImageItem_CL item;
    item.key = key;
    item.sizes[5] = {64, 48, L"https://farm.example/" + key + L"_o.jpg"};
    return item;
}

bool add_front(const std::wstring& key)
{
    return edit_list(AppSettings.candidates_path(), [&](std::vector<ImageItem_CL>& items) {
        items.insert(items.begin(), keyed(key));
        return true;
    });
}

class ListEditing : public ::testing::Test {
protected:
    TempFolder documents;
    void SetUp() override { AppSettings.load(documents.path()); }
    void TearDown() override { ASSERT_TRUE(AppSettings.file_mutex.create(L"Tapestrel_FILE_MUTEX")); }
};

}  // namespace

TEST_F(ListEditing, ChangesAreSavedAndHandedBackAsSaved)
{
    ASSERT_TRUE(add_front(L"first"));
    std::vector<ImageItem_CL> edited;
    ASSERT_TRUE(edit_list(AppSettings.candidates_path(), [](std::vector<ImageItem_CL>& items) {
        items.push_back(keyed(L"second"));
        return true;
    }, &edited));
    ASSERT_EQ(edited.size(), 2u);
    EXPECT_EQ(edited[0].key, L"first");
    EXPECT_EQ(edited[1].key, L"second");

    WallPaperItemBase_CL stored;
    stored.set_path(AppSettings.candidates_path());
    ASSERT_EQ(stored.load(), S_OK);
    ASSERT_EQ(stored.items.size(), 2u);
    EXPECT_EQ(stored.items[1].key, L"second");
}

TEST_F(ListEditing, AChangeThatDeclinesLeavesTheFileAsItWas)
{
    ASSERT_TRUE(add_front(L"kept"));
    const std::vector<unsigned char> before = read_file(AppSettings.candidates_path());
    std::vector<ImageItem_CL> edited{keyed(L"untouched")};
    EXPECT_FALSE(edit_list(AppSettings.candidates_path(), [](std::vector<ImageItem_CL>& items) {
        items.clear();
        return false;
    }, &edited));
    EXPECT_EQ(read_file(AppSettings.candidates_path()), before);
    ASSERT_EQ(edited.size(), 1u);
    EXPECT_EQ(edited[0].key, L"untouched");
}

// Another kind of object holding the mutex's name makes the mutex impossible
// to create. A lock on it then holds nothing, and no list may be written as if
// the other process were kept out.
TEST_F(ListEditing, WithoutTheFileMutexNoListIsChanged)
{
    ASSERT_TRUE(add_front(L"before"));
    const std::vector<unsigned char> before = read_file(AppSettings.candidates_path());

    const std::wstring name = L"TapestrelTest_TakenName_" + std::to_wstring(GetCurrentProcessId());
    const KernelHandle squatter(CreateEventW(nullptr, TRUE, FALSE, name.c_str()));
    ASSERT_TRUE(squatter);
    EXPECT_FALSE(AppSettings.file_mutex.create(name));
    {
        Mutex_CL::Lock_CL lock(AppSettings.file_mutex);
        EXPECT_FALSE(lock.held());
    }
    bool changed = false;
    EXPECT_FALSE(edit_list(AppSettings.candidates_path(), [&](std::vector<ImageItem_CL>&) { return changed = true; }));
    EXPECT_FALSE(changed) << "the change ran without the mutex";
    EXPECT_FALSE(add_front(L"after"));
    EXPECT_EQ(read_file(AppSettings.candidates_path()), before);
}
