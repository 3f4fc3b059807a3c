#pragma once
#include <string>
#include <vector>

#include <windows.h>

#include "base/GdiplusInclude.h"
#include "base/KernelHandle.h"

namespace testing_support {

// An environment variable set by the test runner; empty when absent.
std::wstring env(const wchar_t* name);
// The program under test, as the test runner built it.
std::wstring tapestrel_exe();

// A fresh folder under the temporary folder, removed with its content at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::wstring& path() const { return path_; }
    std::wstring file(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

void remove_tree(const std::wstring& path);
bool file_exists(const std::wstring& path);
std::vector<unsigned char> read_file(const std::wstring& path);
bool write_file(const std::wstring& path, const std::vector<unsigned char>& bytes);
bool write_file(const std::wstring& path, const std::string& bytes);

// A string value of a key of the current user; "<absent>" when there is none.
std::wstring user_registry_string(const wchar_t* key, const wchar_t* name);
// A DWORD value of a key of the current user; -1 when there is none.
long long user_registry_dword(const wchar_t* key, const wchar_t* name);
// A string value of the current user's "Control Panel\Desktop" key, where the
// wallpaper and its placement are installed; "<absent>" when there is none.
std::wstring desktop_value(const wchar_t* name);

// The loopback HTTP stand-in: files written below its root are served at
// http://<host>/<relative path>.
std::wstring http_root();
std::wstring http_host();
std::wstring http_url(const std::wstring& relative_path);
// The same file at the stand-in's second address, a host of its own as the
// photo service's queries have.
std::wstring service_url(const std::wstring& relative_path);
// Writes a body that the stand-in serves at relative_path (slashes allowed).
bool serve_file(const std::wstring& relative_path, const std::string& body);

// Wikimedia Commons' answer when the category holds nothing past the start.
constexpr const char* kEmptyCommonsAnswer = "{\"batchcomplete\":true}";

// One size of a photo as the photo service's "flickr.photos.getSizes" lists it.
struct OfferedSize {
    const char* label;
    int width;
    int height;
    std::wstring url;
};
// The service's answer to "flickr.photos.getSizes" offering these sizes.
std::string sizes_answer(const std::vector<OfferedSize>& sizes);

// Starts the program's folder in this prefix (Documents\Tapestrel) afresh,
// loads it into AppSettings and points the photo service's addresses and
// Wikimedia Commons at http_url(folder), folder being a new name beginning
// with `prefix`, where Commons answers with nothing; the folder.
std::wstring fresh_program_folder(const std::wstring& prefix);

// A photo-service answer listing `count` photos (ids from 5000, titled
// "富士山 <id>") of width x height, whose pictures the stand-in is expected to
// serve at <folder>/<id>_o.jpg.
std::string photos_answer(const std::wstring& folder, int count, int width = 1600, int height = 1200);
// Serves the answer at folder + "/services/rest" and real JPEGs of the size at
// the pictures' addresses; needs a GdiplusSession.
bool serve_photos(const std::wstring& folder, int count, int width, int height);

// The HTTPS stand-ins serve the same root on port 443 of their addresses, each
// with a certificate of its own kind.
enum class TlsSite { kTrusted, kSelfSigned, kExpired, kWrongName };
std::wstring https_url(TlsSite site, const std::wstring& relative_path);
// Makes the current user of this Wine prefix trust the stand-ins' test
// authority (the "Root" store of the prefix, never the host's); false when it cannot.
bool trust_test_authority();

// What the stand-in wrote to a log file of its root ("_requests.log", "_gates.log", "_probe.log").
std::string http_log(const wchar_t* name);
// The paths and queries of the GETs the stand-in received below folder (an
// ASCII relative path), in order, each without "GET /folder/", blanks unescaped.
std::vector<std::string> http_requests(const std::wstring& folder);
// Waits until the stand-in has received a GET of relative_path; false on time-out.
bool wait_for_http_request(const std::wstring& relative_path, DWORD timeout_ms);

// Starts a process; the handle owns it.
KernelHandle start_process(const std::wstring& command_line);
// Waits for the process; false on time-out (the process is then left running).
bool wait_exit(const KernelHandle& process, DWORD timeout_ms, DWORD* exit_code);
// Points the program's settings in this prefix (Documents\Tapestrel) at the
// loopback stand-in for every service address not set yet, so that a started
// program never reaches out of the machine (the update check, the candidate run).
void keep_program_offline();
// Starts the program under test, kept offline.
KernelHandle start_tapestrel(const std::wstring& arguments);
// Runs the program under test (kept offline) with the given arguments and waits for it.
bool run_tapestrel(const std::wstring& arguments, DWORD timeout_ms, DWORD* exit_code);

// Keeps GDI+ started for the lifetime of the object.
class GdiplusSession {
public:
    GdiplusSession();
    ~GdiplusSession();
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;

private:
    ULONG_PTR token_ = 0;
};

// Writes a real JPEG of the given size (a colour gradient) through GDI+;
// needs a GdiplusSession.
bool make_jpeg(const std::wstring& path, int width, int height);
// The same picture's bytes.
std::vector<unsigned char> jpeg_bytes(int width, int height);

// A JPEG whose quarters are red (top left), green (top right), blue (bottom
// left) and white (bottom right), so that a corner tells how it was turned.
std::vector<unsigned char> quartered_jpeg_bytes(int width, int height);
enum class Quarter { Red, Green, Blue, White };
// The quarter colour nearest to a pixel's.
Quarter quarter_of(Gdiplus::Color colour);

// The JPEG with a camera's Exif block put after its start marker: the
// orientation tag (none when 0) and, when not empty, an embedded thumbnail; in
// Motorola byte order when big_endian, else in Intel order.
std::vector<unsigned char> with_exif(const std::vector<unsigned char>& jpeg, int orientation,
                                     const std::vector<unsigned char>& thumbnail = {}, bool big_endian = false);

// Finds a top-level "MainWindowClass" window with this title, waiting up to timeout_ms.
HWND wait_for_window(const wchar_t* title, DWORD timeout_ms);

}  // namespace testing_support
