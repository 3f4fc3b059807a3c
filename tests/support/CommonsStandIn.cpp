#include "CommonsStandIn.h"

#include <cstdint>

#include "TestSupport.h"
#include "base/TextConvert.h"

namespace testing_support {

namespace {

constexpr int kStandardWidths[] = {120, 250, 500, 960, 1920, 3840};

// Commons names the folders after the MD5 digest of the name; any digit pair
// of that shape will do for the client.
std::string hash_folders(const std::string& name)
{
    uint32_t hash = 2166136261u;
    for (unsigned char c : name) hash = (hash ^ c) * 16777619u;
    const char* digits = "0123456789abcdef";
    const char first = digits[hash & 15];
    return std::string(1, first) + "/" + first + digits[(hash >> 4) & 15];
}

std::string escaped(const std::string& name)
{
    std::string out;
    const char* digits = "0123456789ABCDEF";
    for (unsigned char c : name) {
        if (c < 0x80 && c != '%' && c != ' ' && c != '?' && c != '#' && c != '"') {
            out.push_back(static_cast<char>(c));
        } else {
            out += '%';
            out += digits[c >> 4];
            out += digits[c & 15];
        }
    }
    return out;
}

std::string json_text(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string entry(const char* name, const std::string& value)
{
    return json_text(name) + ":{\"value\":" + json_text(value) + ",\"source\":\"commons-desc-page\"}";
}

std::string page(const std::wstring& folder, const CommonsPicture& picture, int number)
{
    std::string metadata = entry("LicenseShortName", picture.licence) + "," + entry("Artist", picture.artist) + "," +
                           entry("DateTimeOriginal", picture.date);
    if (!picture.title.empty()) metadata += "," + entry("ObjectName", picture.title);
    std::string title = "File:" + picture.name;
    for (char& c : title) if (c == '_') c = ' ';
    return "{\"pageid\":" + std::to_string(1000 + number) + ",\"ns\":6,\"title\":" + json_text(title) +
           ",\"imagerepository\":\"local\",\"imageinfo\":[{\"size\":123456,\"width\":" + std::to_string(picture.width) +
           ",\"height\":" + std::to_string(picture.height) + ",\"url\":" +
           json_text(wide_to_utf8(commons_original_url(folder, picture.name))) + ",\"descriptionurl\":" +
           json_text(wide_to_utf8(commons_page_url(folder, picture.name))) + ",\"mime\":" + json_text(picture.mime) +
           ",\"extmetadata\":{" + metadata + "}}]}";
}

// The path of a picture below the stand-in's root, and its address: the same
// but for the name, escaped in the address as Commons escapes it.
std::string picture_path(const std::string& name, int width, bool escape)
{
    const std::string file = escape ? escaped(name) : name;
    if (width == 0) return "/wikipedia/commons/" + hash_folders(name) + "/" + file;
    return "/wikipedia/commons/thumb/" + hash_folders(name) + "/" + file + "/" + std::to_string(width) + "px-" + file;
}

bool serve_jpeg(const std::wstring& folder, const std::string& name, int width, int picture_width, int picture_height)
{
    const std::vector<unsigned char> bytes = jpeg_bytes(picture_width, picture_height);
    return !bytes.empty() && serve_file(folder + utf8_to_wide(picture_path(name, width, false)),
                                        std::string(bytes.begin(), bytes.end()));
}

}  // namespace

std::wstring commons_original_url(const std::wstring& folder, const std::string& name)
{
    return http_url(folder + utf8_to_wide(picture_path(name, 0, true)));
}

std::wstring commons_thumbnail_url(const std::wstring& folder, const std::string& name, int width)
{
    return http_url(folder + utf8_to_wide(picture_path(name, width, true)));
}

std::wstring commons_page_url(const std::wstring& folder, const std::string& name)
{
    return http_url(folder + L"/wiki/File:" + utf8_to_wide(escaped(name)));
}

std::string commons_answer(const std::wstring& folder, const std::vector<CommonsPicture>& pictures)
{
    std::string pages;
    for (size_t n = 0; n < pictures.size(); ++n) pages += (n ? "," : "") + page(folder, pictures[n], static_cast<int>(n));
    return "{\"batchcomplete\":true,\"continue\":{\"gcmcontinue\":\"x\",\"continue\":\"gcmcontinue||\"},"
           "\"query\":{\"pages\":[" + pages + "]}}";
}

bool serve_commons(const std::wstring& folder, const std::vector<CommonsPicture>& pictures)
{
    if (!serve_commons_answer(folder, commons_answer(folder, pictures))) return false;
    for (const CommonsPicture& picture : pictures) {
        if (picture.mime != "image/jpeg") continue;
        if (!serve_jpeg(folder, picture.name, 0, picture.width, picture.height)) return false;
        for (int width : kStandardWidths) {
            if (width >= picture.width) break;
            const int height = (picture.height * width * 2 + picture.width) / (2 * picture.width);
            if (!serve_jpeg(folder, picture.name, width, width, height)) return false;
        }
    }
    return true;
}

bool serve_commons_answer(const std::wstring& folder, const std::string& body, int status, const std::string& headers)
{
    const std::wstring api = folder + L"/w/api.php";
    return serve_file(api, body) && serve_file(api + L".switches", status == 200 ? "" : "_status" + std::to_string(status)) &&
           serve_file(api + L".headers", headers);
}

std::vector<std::string> http_agents(const std::wstring& folder)
{
    const std::string prefix = "/" + wide_to_utf8(folder) + "/";
    std::vector<std::string> agents;
    const std::string log = http_log(L"_agents.log");
    size_t start = 0;
    while (start < log.size()) {
        size_t end = log.find('\n', start);
        if (end == std::string::npos) end = log.size();
        const std::string line = log.substr(start, end - start);
        start = end + 1;
        const size_t tab = line.find('\t');
        if (tab != std::string::npos && line.compare(0, prefix.size(), prefix) == 0) agents.push_back(line.substr(tab + 1));
    }
    return agents;
}

}  // namespace testing_support
