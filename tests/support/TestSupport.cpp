#include "TestSupport.h"

#include <wincrypt.h>

#include <cstdio>

#include <objbase.h>

#include "base/GdiplusInclude.h"
#include "imaging/ImageEncoder.h"
#include "store/AppSettings_CL.h"
#include "store/SettingsKeys.h"

namespace testing_support {

std::wstring user_registry_string(const wchar_t* key, const wchar_t* name)
{
    wchar_t value[MAX_PATH * 2] = {};
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return L"<absent>";
    return value;
}

long long user_registry_dword(const wchar_t* key, const wchar_t* name)
{
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS) return -1;
    return value;
}

std::wstring desktop_value(const wchar_t* name)
{
    return user_registry_string(L"Control Panel\\Desktop", name);
}

std::wstring env(const wchar_t* name)
{
    wchar_t buffer[32768];
    const DWORD length = GetEnvironmentVariableW(name, buffer, 32768);
    return (length > 0 && length < 32768) ? std::wstring(buffer, length) : std::wstring();
}

std::wstring tapestrel_exe()
{
    return env(L"TAPESTREL_EXE");
}

TempFolder::TempFolder()
{
    static LONG counter = 0;
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    wchar_t name[MAX_PATH];
    swprintf(name, MAX_PATH, L"%lstapestrel-test-%lu-%ld", base, GetCurrentProcessId(), InterlockedIncrement(&counter));
    path_ = name;
    remove_tree(path_);
    CreateDirectoryW(path_.c_str(), nullptr);
}

TempFolder::~TempFolder()
{
    remove_tree(path_);
}

void remove_tree(const std::wstring& path)
{
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring child = path + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) remove_tree(child);
            else {
                SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(path.c_str());
}

bool file_exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<unsigned char> read_file(const std::wstring& path)
{
    std::vector<unsigned char> bytes;
    KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) return bytes;
    unsigned char chunk[65536];
    DWORD got = 0;
    while (ReadFile(file.get(), chunk, sizeof(chunk), &got, nullptr) && got > 0) bytes.insert(bytes.end(), chunk, chunk + got);
    return bytes;
}

bool write_file(const std::wstring& path, const std::vector<unsigned char>& bytes)
{
    KernelHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    return file && (bytes.empty() || (WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                                      written == bytes.size()));
}

bool write_file(const std::wstring& path, const std::string& bytes)
{
    return write_file(path, std::vector<unsigned char>(bytes.begin(), bytes.end()));
}

std::wstring http_root()
{
    return env(L"TAPESTREL_HTTP_ROOT");
}

std::wstring http_host()
{
    return env(L"TAPESTREL_HTTP_HOST");
}

std::wstring http_url(const std::wstring& relative_path)
{
    return L"http://" + http_host() + L"/" + relative_path;
}

std::wstring service_url(const std::wstring& relative_path)
{
    return L"http://" + env(L"TAPESTREL_SERVICE_HOST") + L"/" + relative_path;
}

std::string sizes_answer(const std::vector<OfferedSize>& sizes)
{
    std::string elements;
    for (const OfferedSize& size : sizes)
        elements += "<size label=\"" + std::string(size.label) + "\" width=\"" + std::to_string(size.width) +
                    "\" height=\"" + std::to_string(size.height) + "\" source=\"" + std::string(size.url.begin(), size.url.end()) +
                    "\" url=\"https://www.flickr.com/photos/1@N00/1/sizes/\" media=\"photo\" />";
    return "<rsp stat=\"ok\"><sizes canblog=\"0\" canprint=\"0\" candownload=\"1\">" + elements + "</sizes></rsp>";
}

std::wstring https_url(TlsSite site, const std::wstring& relative_path)
{
    static const wchar_t* const hosts[] = {L"TAPESTREL_TLS_TRUSTED", L"TAPESTREL_TLS_SELF_SIGNED",
                                           L"TAPESTREL_TLS_EXPIRED", L"TAPESTREL_TLS_WRONG_NAME"};
    return L"https://" + env(hosts[static_cast<int>(site)]) + L"/" + relative_path;
}

bool trust_test_authority()
{
    const std::vector<unsigned char> authority = read_file(env(L"TAPESTREL_TLS_CA"));
    if (authority.empty()) return false;
    HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, L"Root");
    if (!store) return false;
    const BOOL added = CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, authority.data(),
                                                        static_cast<DWORD>(authority.size()), CERT_STORE_ADD_REPLACE_EXISTING,
                                                        nullptr);
    CertCloseStore(store, 0);
    return added != FALSE;
}

bool serve_file(const std::wstring& relative_path, const std::string& body)
{
    std::wstring path = http_root();
    size_t start = 0;
    for (;;) {
        const size_t slash = relative_path.find(L'/', start);
        if (slash == std::wstring::npos) break;
        path += L"\\" + relative_path.substr(start, slash - start);
        CreateDirectoryW(path.c_str(), nullptr);
        start = slash + 1;
    }
    return write_file(path + L"\\" + relative_path.substr(start), body);
}

std::wstring fresh_program_folder(const std::wstring& prefix)
{
    remove_tree(documents_folder() + L"\\Tapestrel");
    AppSettings.load(documents_folder());
    GUID id;
    CoCreateGuid(&id);
    const std::wstring folder = prefix + std::to_wstring(id.Data1);
    AppInifile.write_string(keys::kService, keys::kRestUrl, http_url(folder));
    AppInifile.write_string(keys::kService, keys::kWebUrl, http_url(folder));
    // Wikimedia Commons answers with nothing until a test serves its own pictures there.
    AppInifile.write_string(keys::kService, keys::kCommonsUrl, http_url(folder));
    (void)serve_file(folder + L"/w/api.php", kEmptyCommonsAnswer);  // suites without the stand-in fetch nothing
    return folder;
}

std::string photos_answer(const std::wstring& folder, int count, int width, int height)
{
    std::string photos;
    const std::string base(folder.begin(), folder.end());
    const std::wstring wide_host = http_host();
    const std::string host(wide_host.begin(), wide_host.end());
    const std::string size = "width_o=\"" + std::to_string(width) + "\" height_o=\"" + std::to_string(height) + "\"";
    for (int n = 0; n < count; ++n) {
        const std::string id = std::to_string(5000 + n);
        const std::string url = "http://" + host + "/" + base + "/" + id + "_o.jpg";
        photos += "<photo id=\"" + id + "\" owner=\"1@N00\" secret=\"abc\" server=\"7\" farm=\"3\" title=\"\xE5\xAF\x8C\xE5\xA3\xAB\xE5\xB1\xB1 " +
                  id + "\" ispublic=\"1\" license=\"1\" originalformat=\"jpg\" ownername=\"yamada\" datetaken=\"2024-01-02 03:04:05\" "
                  "media=\"photo\" pathalias=\"\" url_o=\"" + url + "\" " + size + "/>";
    }
    return "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<rsp stat=\"ok\">\n<photos page=\"1\" pages=\"1\" perpage=\"4000\" total=\"" +
           std::to_string(count) + "\">" + photos + "</photos>\n</rsp>\n";
}

bool serve_photos(const std::wstring& folder, int count, int width, int height)
{
    if (!serve_file(folder + L"/services/rest", photos_answer(folder, count, width, height))) return false;
    const std::vector<unsigned char> picture = jpeg_bytes(width, height);
    if (picture.empty()) return false;
    for (int n = 0; n < count; ++n) {
        if (!serve_file(folder + L"/" + std::to_wstring(5000 + n) + L"_o.jpg", std::string(picture.begin(), picture.end())))
            return false;
    }
    return true;
}

std::string http_log(const wchar_t* name)
{
    const std::vector<unsigned char> bytes = read_file(http_root() + L"\\" + name);
    return std::string(bytes.begin(), bytes.end());
}

std::vector<std::string> http_requests(const std::wstring& folder)
{
    std::string prefix = "GET /";
    for (wchar_t c : folder) prefix.push_back(static_cast<char>(c));
    prefix += "/";
    std::vector<std::string> found;
    const std::string log = http_log(L"_requests.log");
    size_t start = 0;
    while (start < log.size()) {
        size_t end = log.find('\n', start);
        if (end == std::string::npos) end = log.size();
        std::string line = log.substr(start, end - start);
        start = end + 1;
        if (line.compare(0, prefix.size(), prefix) != 0) continue;
        for (size_t blank; (blank = line.find("%20")) != std::string::npos;) line.replace(blank, 3, " ");
        found.push_back(line.substr(prefix.size()));
    }
    return found;
}

bool wait_for_http_request(const std::wstring& relative_path, DWORD timeout_ms)
{
    std::string line = "GET /";
    for (wchar_t c : relative_path) line.push_back(static_cast<char>(c));
    line += "\n";
    const DWORD start = GetTickCount();
    for (;;) {
        if (http_log(L"_requests.log").find(line) != std::string::npos) return true;
        if (GetTickCount() - start > timeout_ms) return false;
        Sleep(20);
    }
}

KernelHandle start_process(const std::wstring& command_line)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    std::wstring line = command_line;
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) return KernelHandle();
    CloseHandle(info.hThread);
    return KernelHandle(info.hProcess);
}

bool wait_exit(const KernelHandle& process, DWORD timeout_ms, DWORD* exit_code)
{
    if (!process || WaitForSingleObject(process.get(), timeout_ms) != WAIT_OBJECT_0) return false;
    if (exit_code) GetExitCodeProcess(process.get(), exit_code);
    return true;
}

void keep_program_offline()
{
    const std::wstring folder = documents_folder() + L"\\Tapestrel";
    const std::wstring ini = folder + L"\\Tapestrel.ini";
    CreateDirectoryW(folder.c_str(), nullptr);
    if (!file_exists(ini)) write_file(ini, std::vector<unsigned char>{0xFF, 0xFE});
    const std::wstring offline = http_url(L"offline");
    for (const wchar_t* key : {L"rest_url", L"web_url", L"support_url", L"commons_url"}) {
        wchar_t value[16] = {};
        if (GetPrivateProfileStringW(L"SERVICE", key, L"", value, 16, ini.c_str()) == 0)
            WritePrivateProfileStringW(L"SERVICE", key, offline.c_str(), ini.c_str());
    }
}

KernelHandle start_tapestrel(const std::wstring& arguments)
{
    keep_program_offline();
    return start_process(L"\"" + tapestrel_exe() + L"\" " + arguments);
}

bool run_tapestrel(const std::wstring& arguments, DWORD timeout_ms, DWORD* exit_code)
{
    return wait_exit(start_tapestrel(arguments), timeout_ms, exit_code);
}

GdiplusSession::GdiplusSession()
{
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token_, &input, nullptr);
}

GdiplusSession::~GdiplusSession()
{
    if (token_) Gdiplus::GdiplusShutdown(token_);
}

bool make_jpeg(const std::wstring& path, int width, int height)
{
    Gdiplus::Bitmap bitmap(width, height, PixelFormat24bppRGB);
    {
        Gdiplus::Graphics graphics(&bitmap);
        Gdiplus::LinearGradientBrush brush(Gdiplus::Point(0, 0), Gdiplus::Point(width, height),
                                           Gdiplus::Color(255, 40, 90, 200), Gdiplus::Color(255, 250, 180, 40));
        graphics.FillRectangle(&brush, 0, 0, width, height);
    }
    CLSID jpeg;
    return find_image_encoder(L"image/jpeg", jpeg) && bitmap.Save(path.c_str(), &jpeg, nullptr) == Gdiplus::Ok;
}

std::vector<unsigned char> jpeg_bytes(int width, int height)
{
    wchar_t base[MAX_PATH], name[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    GetTempFileNameW(base, L"jpg", 0, name);
    std::vector<unsigned char> bytes;
    if (make_jpeg(name, width, height)) bytes = read_file(name);
    DeleteFileW(name);
    return bytes;
}

std::vector<unsigned char> quartered_jpeg_bytes(int width, int height)
{
    Gdiplus::Bitmap bitmap(width, height, PixelFormat24bppRGB);
    {
        Gdiplus::Graphics graphics(&bitmap);
        const int half_width = width / 2, half_height = height / 2;
        const Gdiplus::Color colours[4] = {Gdiplus::Color(255, 255, 0, 0), Gdiplus::Color(255, 0, 255, 0),
                                           Gdiplus::Color(255, 0, 0, 255), Gdiplus::Color(255, 255, 255, 255)};
        for (int quarter = 0; quarter < 4; ++quarter) {
            Gdiplus::SolidBrush brush(colours[quarter]);
            graphics.FillRectangle(&brush, quarter % 2 ? half_width : 0, quarter / 2 ? half_height : 0,
                                   quarter % 2 ? width - half_width : half_width,
                                   quarter / 2 ? height - half_height : half_height);
        }
    }
    wchar_t base[MAX_PATH], name[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    GetTempFileNameW(base, L"jpg", 0, name);
    std::vector<unsigned char> bytes;
    CLSID jpeg;
    if (find_image_encoder(L"image/jpeg", jpeg) && bitmap.Save(name, &jpeg, nullptr) == Gdiplus::Ok) bytes = read_file(name);
    DeleteFileW(name);
    return bytes;
}

Quarter quarter_of(Gdiplus::Color colour)
{
    const int red = colour.GetR() > 128, green = colour.GetG() > 128, blue = colour.GetB() > 128;
    if (red && green && blue) return Quarter::White;
    if (red) return Quarter::Red;
    return green ? Quarter::Green : Quarter::Blue;
}

std::vector<unsigned char> with_exif(const std::vector<unsigned char>& jpeg, int orientation,
                                     const std::vector<unsigned char>& thumbnail, bool big_endian)
{
    std::vector<unsigned char> tiff;
    const auto put16 = [&](unsigned value) {
        const unsigned char high = static_cast<unsigned char>(value >> 8), low = static_cast<unsigned char>(value);
        tiff.push_back(big_endian ? high : low);
        tiff.push_back(big_endian ? low : high);
    };
    const auto put32 = [&](unsigned value) {
        put16(big_endian ? value >> 16 : value & 0xFFFF);
        put16(big_endian ? value & 0xFFFF : value >> 16);
    };
    const auto entry = [&](unsigned tag, unsigned type, unsigned value) {
        put16(tag);
        put16(type);
        put32(1);
        if (type == 3) {
            put16(value);
            put16(0);
        } else {
            put32(value);
        }
    };
    tiff.push_back(big_endian ? 'M' : 'I');
    tiff.push_back(big_endian ? 'M' : 'I');
    put16(42);
    put32(8);
    const unsigned first_count = orientation ? 1 : 0;
    const unsigned second_ifd = 8 + 2 + 12 * first_count + 4;
    put16(first_count);
    if (orientation) entry(0x0112, 3, static_cast<unsigned>(orientation));
    put32(thumbnail.empty() ? 0 : second_ifd);
    if (!thumbnail.empty()) {
        put16(2);
        entry(0x0201, 4, second_ifd + 2 + 24 + 4);
        entry(0x0202, 4, static_cast<unsigned>(thumbnail.size()));
        put32(0);
        tiff.insert(tiff.end(), thumbnail.begin(), thumbnail.end());
    }
    const size_t length = 2 + 6 + tiff.size();
    std::vector<unsigned char> segment = {0xFF, 0xE1, static_cast<unsigned char>(length >> 8),
                                          static_cast<unsigned char>(length & 0xFF), 'E', 'x', 'i', 'f', 0, 0};
    segment.insert(segment.end(), tiff.begin(), tiff.end());
    std::vector<unsigned char> result(jpeg.begin(), jpeg.begin() + 2);
    result.insert(result.end(), segment.begin(), segment.end());
    result.insert(result.end(), jpeg.begin() + 2, jpeg.end());
    return result;
}

HWND wait_for_window(const wchar_t* title, DWORD timeout_ms)
{
    const DWORD start = GetTickCount();
    for (;;) {
        HWND hwnd = FindWindowExW(nullptr, nullptr, L"MainWindowClass", title);
        if (hwnd || GetTickCount() - start > timeout_ms) return hwnd;
        Sleep(50);
    }
}

}  // namespace testing_support
