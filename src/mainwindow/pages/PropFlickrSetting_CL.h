#pragma once
#include <functional>
#include <mutex>
#include <string>

#include "base/ThreadBase_CL.h"
#include "mainwindow/pages/SettingsPage_CL.h"

class FlickrXmlHelper_CL;

// Page "Flickr": the user's own API key and secret (section "SERVICE"), a check
// of the key against the service on a worker thread, and the way to the
// service's page where keys are made.
class PropFlickrSetting_CL : public SettingsPage_CL {
public:
    // After the ids of the sheet's other pages (0x1100 to 0x110C).
    static constexpr int kFirstId = 0x110D;

    // Control indexes, in creation order.
    enum : int {
        kKeyLabel,
        kKeyField,
        kSecretLabel,
        kSecretField,
        kCheckButton,
        kResult,
        kGetKeyButton,
    };

    using OpenPage = std::function<void(const std::wstring& address)>;

    PropFlickrSetting_CL();
    ~PropFlickrSetting_CL() override;
    void set_open_page(OpenPage open_page) { open_page_ = std::move(open_page); }

    INT_PTR handle_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override;

protected:
    void build(HWND page) override;
    void on_command(int index, int code) override;
    bool validate() override;
    void apply() override;

private:
    // Checks one key and secret with "flickr.test.echo" and hands the result
    // to the page's thread.
    class Check_CL : public ThreadBase_CL {
    public:
        explicit Check_CL(PropFlickrSetting_CL& page) : page_(page) {}
        ~Check_CL() override { cancel(); }
        int on_thread_message(UINT message, WPARAM wparam, LPARAM lparam) override;
        void begin(const std::string& api_key, const std::string& shared_secret);
        // Aborts the request under way and ends the thread.
        void cancel();

    private:
        PropFlickrSetting_CL& page_;
        std::mutex lock_;
        std::string api_key_;
        std::string shared_secret_;
        FlickrXmlHelper_CL* client_ = nullptr;  // the request under way, for cancel()
    };

    // The field's value to keep, or false after telling the user what is wrong with it.
    bool field_value(int field, size_t length, const wchar_t* refusal, std::wstring& value);
    // Both fields, or false as field_value; two empty fields stand for the built-in values.
    bool credentials(std::wstring& api_key, std::wstring& shared_secret);
    void start_check();
    void open_key_page() const;
    void show_check_result(const std::wstring& result);

    OpenPage open_page_;
    Check_CL check_;
};
