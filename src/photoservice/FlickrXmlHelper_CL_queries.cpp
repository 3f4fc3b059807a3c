#include "photoservice/FlickrXmlHelper_CL.h"

#include "base/TextConvert.h"

namespace {

// Sent exactly so, blanks included.
constexpr const char* kExtras =
    "&extras=description, license, date_upload, date_taken, owner_name, icon_server, original_format, "
    "last_update, geo, tags, machine_tags, o_dims, views, media, path_alias, url_sq, url_t, url_s, url_m, "
    "url_z, url_l, url_o";
constexpr const char* kPopularPageSize = "4000";

// Free text as a query value: UTF-8, percent-encoded.
std::string encoded(const std::wstring& text)
{
    return narrow_units(url_encode(wide_to_utf8(text)));
}

}  // namespace

HRESULT FlickrXmlHelper_CL::fetch_photos(const std::string& url, const wchar_t* path, std::vector<ImageItem_CL>& items)
{
    if (fetch(url) != S_OK)
        return E_FAIL;
    return parse_photos(path, items);
}

HRESULT FlickrXmlHelper_CL::get_interesting_photos(std::vector<ImageItem_CL>& items)
{
    const std::string url = query_prefix("flickr.interestingness.getList") + "&api_key=" + api_key_ +
                            "&per_page=" + kPopularPageSize + "&license=1" + kExtras;
    return fetch_photos(url, L"/rsp/photos/photo", items);
}

HRESULT FlickrXmlHelper_CL::search_photos(const std::wstring& keyword, int per_page, std::vector<ImageItem_CL>& items)
{
    const std::string url = query_prefix("flickr.photos.search") + "&api_key=" + api_key_ +
                            "&per_page=" + std::to_string(per_page) + "&license=" + licence_filter_ + kExtras +
                            "&tag_mode=all&sort=relevance&text=" + encoded(keyword);
    return fetch_photos(url, L"/rsp/photos/photo", items);
}

HRESULT FlickrXmlHelper_CL::find_user_by_name(const std::wstring& username, int per_page, std::vector<UserRecord>& users)
{
    const std::string url = query_prefix("flickr.people.findByUsername") + "&api_key=" + api_key_ +
                            "&per_page=" + std::to_string(per_page) + "&license=" + licence_filter_ +
                            "&username=" + encoded(username);
    if (fetch(url) != S_OK)
        return E_FAIL;
    return parse_users(users);
}

HRESULT FlickrXmlHelper_CL::get_photoset_list(const std::wstring& user_id, std::vector<PhotosetRecord>& photosets)
{
    const std::string url = query_prefix("flickr.photosets.getList") + "&api_key=" + api_key_ +
                            "&user_id=" + narrow_units(user_id);
    if (fetch(url) != S_OK)
        return E_FAIL;
    return parse_photosets(photosets);
}

HRESULT FlickrXmlHelper_CL::parse_photosets(std::vector<PhotosetRecord>& photosets)
{
    if (load_response() != S_OK)
        return E_FAIL;
    AttributeMap map;
    for (const ComPtr<IXMLDOMNode>& photoset : xml_.select_nodes(L"/rsp/photosets/photoset")) {
        XmlHelper_CL::read_attributes(photoset.get(), map);
        photosets.push_back(PhotosetRecord{text_of(map, L"id"), int_of(map, L"photos")});
    }
    return S_OK;
}

HRESULT FlickrXmlHelper_CL::get_photoset_photos(const std::wstring& photoset_id, std::vector<ImageItem_CL>& items)
{
    const std::string url = query_prefix("flickr.photosets.getPhotos") + "&api_key=" + api_key_ +
                            "&photoset_id=" + narrow_units(photoset_id) + kExtras;
    return fetch_photos(url, L"/rsp/photoset/photo", items);
}
