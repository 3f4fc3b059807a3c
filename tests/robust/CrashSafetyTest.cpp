#include <gtest/gtest.h>

#include <random>

#include "RobustSupport.h"
#include "TestSupport.h"
#include "store/WallPaperItemBase_CL.h"

using namespace testing_support;

namespace {

constexpr size_t kFirstCount = 300;
constexpr size_t kSecondCount = 700;

// What a kill left behind: the list as it loads, or a failure.
struct Outcome {
    bool loaded = false;
    size_t count = 0;
};

Outcome load_after_kill(const std::wstring& path, int round)
{
    WallPaperItemBase_CL list;
    list.set_path(path);
    Outcome outcome;
    outcome.loaded = list.load() == S_OK;
    outcome.count = list.items.size();
    if (!outcome.loaded) return outcome;
    const wchar_t tag = outcome.count == kFirstCount ? L'a' : L'b';
    for (size_t i = 0; i < list.items.size(); ++i) {
        if (list.items[i].key != tag + std::to_wstring(i)) {
            ADD_FAILURE() << "record " << i << " of a list of " << outcome.count << " mixed up in round " << round;
            break;
        }
    }
    return outcome;
}

}  // namespace

// A child saves two different lists in turn into one file and is killed at a
// random moment; the file must always load as exactly one of the two.
TEST(CrashSafety, KillingASavingProcessLeavesTheOldOrTheNewList)
{
    TempFolder folder;
    const std::wstring path = folder.file(L"list.dat");
    const std::wstring saver = env(L"TAPESTREL_LIST_SAVER");
    ASSERT_FALSE(saver.empty());
    const std::wstring event_name = L"tapestrel_saver_ready_" + std::to_wstring(GetCurrentProcessId());
    KernelHandle ready(CreateEventW(nullptr, TRUE, FALSE, event_name.c_str()));
    ASSERT_TRUE(ready);

    const int kills = robust::rounds(300, 3000);
    std::mt19937 random(20261208);
    int first = 0, second = 0, mid_write = 0;
    const ULONGLONG start = GetTickCount64();
    for (int round = 0; round < kills; ++round) {
        ResetEvent(ready.get());
        const std::wstring command = L"\"" + saver + L"\" \"" + path + L"\" " + std::to_wstring(kFirstCount) + L" " +
                                     std::to_wstring(kSecondCount) + L" " + event_name;
        // Under Wine a process start fails now and then while the killed child
        // is still being torn down; a retry tells that apart from a real fault.
        KernelHandle child;
        DWORD start_error = 0;
        for (int attempt = 0; attempt < 3 && !child; ++attempt) {
            if (attempt > 0) Sleep(200);
            child = start_process(command);
            if (!child) start_error = GetLastError();
        }
        ASSERT_TRUE(child) << "the saver could not be started in round " << round << ", error " << start_error;
        ASSERT_EQ(WaitForSingleObject(ready.get(), 30000), WAIT_OBJECT_0) << "the child never saved, round " << round;
        Sleep(random() % 40);
        TerminateProcess(child.get(), 9);
        WaitForSingleObject(child.get(), INFINITE);

        if (file_exists(path + L".tmp")) ++mid_write;
        const Outcome outcome = load_after_kill(path, round);
        ASSERT_TRUE(outcome.loaded) << "the list does not load after round " << round;
        if (outcome.count == kFirstCount) ++first;
        else if (outcome.count == kSecondCount) ++second;
        else ADD_FAILURE() << "a list of " << outcome.count << " items in round " << round;
    }
    robust::report("crash safety: %d kills in %.1f s, %d left the first list, %d the second, %d struck while a save was "
                   "being written",
                   kills, robust::seconds_since(start), first, second, mid_write);
    EXPECT_EQ(first + second, kills);
    // Kills that never hit a save in progress would prove nothing.
    EXPECT_GT(mid_write, 0);
}
