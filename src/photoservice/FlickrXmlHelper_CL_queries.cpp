#include "photoservice/FlickrXmlHelper_CL.h"

#include "base/TextConvert.h"
#include "photoservice/ItemUrls.h"

namespace {

// Sent exactly so, blanks included.
constexpr const char* kExtras =
    "&extras=description, license, date_upload, date_taken, owner_name, icon_server, original_format, "
    "last_update, geo, tags, machine_tags, o_dims, views, media, path_alias, url_sq, url_t, url_s, url_m, "
    "url_z, url_l, url_o, url_h, url_k, url_3k, url_4k";

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
                            "&per_page=" + std::to_string(kPageSize) + "&license=1" + kExtras;
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

HRESULT FlickrXmlHelper_CL::get_sizes(const std::string& photo_id, std::vector<ImageItem_CL::Size>& sizes)
{
    const std::string url =
        query_prefix("flickr.photos.getSizes") + "&api_key=" + api_key_ + "&photo_id=" + photo_id;
    if (fetch(url) != S_OK)
        return E_FAIL;
    return parse_sizes(sizes);
}

HRESULT FlickrXmlHelper_CL::parse_sizes(std::vector<ImageItem_CL::Size>& sizes)
{
    if (load_response() != S_OK)
        return E_FAIL;
    AttributeMap map;
    for (const ComPtr<IXMLDOMNode>& size : xml_.select_nodes(L"/rsp/sizes/size")) {
        XmlHelper_CL::read_attributes(size.get(), map);
        const std::wstring source = text_of(map, L"source");
        if (text_of(map, L"media") == L"video" || !is_web_address(source)) continue;
        sizes.push_back(ImageItem_CL::Size{int_of(map, L"width"), int_of(map, L"height"), source});
    }
    return S_OK;
}

std::string FlickrXmlHelper_CL::photo_id_of(const ImageItem_CL& item)
{
    // The key ends in "/<id>_<secret>", the id in digits.
    const size_t slash = item.key.find_last_of(L'/');
    const size_t underscore = item.key.find(L'_', slash == std::wstring::npos ? 0 : slash);
    if (item.farm == -1 || slash == std::wstring::npos || underscore == std::wstring::npos || underscore == slash + 1)
        return std::string();
    const std::wstring id = item.key.substr(slash + 1, underscore - slash - 1);
    if (id.find_first_not_of(L"0123456789") != std::wstring::npos) return std::string();
    return narrow_units(id);
}
