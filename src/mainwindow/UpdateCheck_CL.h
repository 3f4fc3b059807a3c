#pragma once
#include <functional>
#include <string>

#include <windows.h>

#include "base/Version.h"

// Asks the support site once a day whether a newer version is published and,
// if so, offers to open its download page.
//
// The site serves a plain text: the version on the first line, the address of
// the download page on the second, each ended by CR LF.
class UpdateCheck_CL {
public:
    // Opens the download page; the shell's browser unless a test replaces it.
    using OpenPage = std::function<void(const std::wstring& address)>;

    // site: the support site's address (scheme and host, perhaps a folder);
    // path: the version text below it; parent: the window the dialog belongs to.
    UpdateCheck_CL(std::wstring site, std::wstring path, HWND parent);
    UpdateCheck_CL(const UpdateCheck_CL&) = delete;
    UpdateCheck_CL& operator=(const UpdateCheck_CL&) = delete;
    virtual ~UpdateCheck_CL() = default;

    // Returns when the check and its dialog, if any, are over. Silent on any
    // network failure; "last_day" (VERSION) keeps a day on which the user was
    // told nothing, or asked to be reminded later, from asking again.
    void check_for_update(const std::wstring& title, const std::wstring& current_version);

    void set_open_page(OpenPage open_page) { open_page_ = std::move(open_page); }

    // What the site's version text says.
    struct VersionText {
        std::wstring version;
        std::wstring address;
    };
    // Reads the text the site sent (length bytes, perhaps with a NUL inside).
    static VersionText read_version_text(const char* body, size_t length);

private:
    // False when nothing, or not all of the announced length, arrived.
    bool fetch_version_text(VersionText& text) const;

    std::wstring site_;
    std::wstring path_;
    HWND parent_;
    OpenPage open_page_;
};

// The version of this program.
constexpr const wchar_t* kProgramVersion = L"" TAPESTREL_VERSION_TEXT;

// The window process's check once its main window exists; nothing when the
// user switched update notices off ("notify").
void check_for_update_at_start(HWND main_window);

// Versions as dotted decimal numbers, compared component by component, missing
// components counting as 0 (1.0.2 equals 1.0.2.0, 1.0.10.0 is newer than 1.0.2).
// False when either text is not dotted numbers.
bool is_newer_version(const std::wstring& candidate, const std::wstring& current);
