#pragma once
#include <string>
#include <vector>

// The Wikimedia Commons stand-in of the tests: answers in Commons' format and
// the pictures at Commons' addresses, served by the loopback HTTP stand-in
// below a folder that the settings' "commons_url" names.
namespace testing_support {

struct CommonsPicture {
    std::string name;  // the file name (UTF-8), "Lake_at_dawn.jpg"
    std::string title;  // "ObjectName"; none when empty
    std::string artist = "<a href=\"//commons.wikimedia.org/wiki/User:Ann\" title=\"User:Ann\">Ann</a>";
    std::string licence = "CC BY-SA 4.0";
    std::string date = "2021-11-03 06:12:00";
    int width = 2400;
    int height = 1600;
    std::string mime = "image/jpeg";
};

// Where Commons keeps a picture: its original, a thumbnail `width` pixels
// wide, its description page.
std::wstring commons_original_url(const std::wstring& folder, const std::string& name);
std::wstring commons_thumbnail_url(const std::wstring& folder, const std::string& name, int width);
std::wstring commons_page_url(const std::wstring& folder, const std::string& name);

// One batch listing the pictures, as Commons answers the featured-pictures query.
std::string commons_answer(const std::wstring& folder, const std::vector<CommonsPicture>& pictures);
// Serves that answer at <folder>/w/api.php for any query, and each JPEG's
// original and thumbnails at the standard widths as real pictures (needs a GdiplusSession).
bool serve_commons(const std::wstring& folder, const std::vector<CommonsPicture>& pictures);
// Serves any answer there, with an HTTP status and extra header lines ("Retry-After: 5").
bool serve_commons_answer(const std::wstring& folder, const std::string& body, int status = 200,
                          const std::string& headers = std::string());
// The User-Agent of each request the stand-in received below folder, in order.
std::vector<std::string> http_agents(const std::wstring& folder);

}  // namespace testing_support
