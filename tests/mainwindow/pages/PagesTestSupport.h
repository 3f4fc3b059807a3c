#pragma once
#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include <gtest/gtest.h>
#include <windows.h>

#include "TestSupport.h"

namespace pages_testing {

// A fresh settings file in a temporary documents folder for each test.
class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override;

    // The value as the file holds it; "absent" when the key is not there.
    static std::wstring stored(const wchar_t* section, const wchar_t* key);

    testing_support::TempFolder documents;
};

// Plays the user of a modal dialog on another thread: waits for the dialog with
// this caption to appear, then runs the script with its window. Messages to
// the dialog's controls are handled by the thread running the modal loop.
class ModalUser {
public:
    using Script = std::function<void(HWND dialog)>;

    ModalUser(std::wstring caption, Script script);
    // Stops waiting and joins.
    ~ModalUser();
    ModalUser(const ModalUser&) = delete;
    ModalUser& operator=(const ModalUser&) = delete;

    // Stops waiting for a dialog that has not appeared and joins; afterwards
    // found() says whether the script ran.
    void finish();
    bool found() const { return found_; }

private:
    void run();

    std::wstring caption_;
    Script script_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> found_{false};
    std::thread thread_;
};

// What a user's actions send, from the playing thread.
void click(HWND control);
// Picks an item of a drop-down list as the mouse would: selection, then the notice to the page.
void choose(HWND list, int item);
// Replaces the field's text by typing it.
void type_text(HWND field, const std::wstring& text);
std::wstring window_text(HWND window);

}  // namespace pages_testing
