#include "photoservice/FlickrXmlHelper_CL.h"

#include <cstdint>
#include <cwchar>
#include <utility>

#include "photoservice/ItemUrls.h"
#include "base/TextConvert.h"
#include "base/BString.h"
#include "store/ServiceConfig.h"

namespace {

// Only sent when the service answers a frob request without one.
constexpr const char* kInitialFrob = "72157626482943752-5d1b8e3f0a9c4e27-419306";
// Part of every photo's identity in the stored lists: never change it.
constexpr const wchar_t* kStaticHostSuffix = L".staticflickr.com/";
// The record's six sizes, then the large ones that stand in for an original
// the owner does not hand out.
constexpr const wchar_t* kSizeSuffixes[] = {L"_sq", L"_t", L"_s", L"_m", L"_z", L"_o", L"_h", L"_k", L"_3k", L"_4k"};
constexpr int kReadSizes = sizeof(kSizeSuffixes) / sizeof(kSizeSuffixes[0]);
constexpr int kOriginal = ImageItem_CL::kSizeCount - 1;

// A configured scheme and host, without a closing slash, as a URL piece.
std::string service_base(const std::wstring& configured)
{
    std::wstring base = configured;
    while (!base.empty() && base.back() == L'/')
        base.pop_back();
    return narrow_units(base);
}

// Title and owner name arrive as UTF-8 bytes, one unit each.
std::wstring repaired(const std::wstring& units)
{
    return utf8_to_wide(narrow_units(units));
}

int32_t number(const std::wstring& text)
{
    return static_cast<int32_t>(std::wcstol(text.c_str(), nullptr, 10));
}

// The attributes of a photo element that become the record. Each is looked up
// by name, so the dozen others that the queries' extras bring are never read.
class PhotoAttributes {
public:
    enum Field { kId, kOwner, kSecret, kServer, kFarm, kTitle, kLicense, kDateTaken, kOwnerName, kOriginalFormat,
                 kMedia, kPathAlias, kFirstUrl, kFirstWidth = kFirstUrl + kReadSizes,
                 kFirstHeight = kFirstWidth + kReadSizes, kFieldCount = kFirstHeight + kReadSizes };

    PhotoAttributes()
    {
        static const wchar_t* const fixed[kFirstUrl] = {L"id", L"owner", L"secret", L"server", L"farm", L"title",
                                                        L"license", L"datetaken", L"ownername", L"originalformat",
                                                        L"media", L"pathalias"};
        for (int i = 0; i < kFirstUrl; ++i) name(i, fixed[i]);
        for (int i = 0; i < kReadSizes; ++i) {
            name(kFirstUrl + i, std::wstring(L"url") + kSizeSuffixes[i]);
            name(kFirstWidth + i, std::wstring(L"width") + kSizeSuffixes[i]);
            name(kFirstHeight + i, std::wstring(L"height") + kSizeSuffixes[i]);
        }
    }

    // Reads the element's attributes; a missing one reads as empty.
    void read(IXMLDOMNode* element)
    {
        for (std::wstring& value : values_) value.clear();
        const ComPtr<IXMLDOMElement> photo = XmlHelper_CL::as_element(element);
        if (!photo)
            return;
        for (int i = 0; i < kFieldCount; ++i)
            XmlHelper_CL::named_attribute(photo.get(), names_[i].get(), values_[i]);
    }

    const std::wstring& operator[](Field field) const { return values_[field]; }
    std::wstring& operator[](Field field) { return values_[field]; }
    const std::wstring& size_text(Field first, int size) const { return values_[first + size]; }

    bool is_jpeg_original() const { return _wcsicmp(values_[kOriginalFormat].c_str(), L"jpg") == 0; }
    // The service names the original's format only to those it hands the original to.
    bool offers_original() const { return !values_[kOriginalFormat].empty(); }

private:
    void name(int field, const std::wstring& text) { *names_[field].receive() = SysAllocString(text.c_str()); }

    BString names_[kFieldCount];
    std::wstring values_[kFieldCount];
};

// A size as the answer gives it; no address unless a web address.
ImageItem_CL::Size size_of(const PhotoAttributes& photo, int size)
{
    using Field = PhotoAttributes::Field;
    ImageItem_CL::Size read;
    read.width = number(photo.size_text(Field::kFirstWidth, size));
    read.height = number(photo.size_text(Field::kFirstHeight, size));
    // Anything else (a local path, a share) would later be opened as a file.
    const std::wstring& url = photo.size_text(Field::kFirstUrl, size);
    if (is_web_address(url)) read.url = url;
    return read;
}

// The largest of the sizes past the original that the answer offers; empty when none.
ImageItem_CL::Size largest_instead_of_original(const PhotoAttributes& photo)
{
    ImageItem_CL::Size largest;
    for (int i = kOriginal + 1; i < kReadSizes; ++i) {
        ImageItem_CL::Size size = size_of(photo, i);
        if (!size.url.empty() && int64_t{size.width} * size.height > int64_t{largest.width} * largest.height)
            largest = std::move(size);
    }
    return largest;
}

ImageItem_CL photo_from(PhotoAttributes& photo)
{
    using Field = PhotoAttributes::Field;
    ImageItem_CL item;
    item.key = L"http://farm" + photo[Field::kFarm] + kStaticHostSuffix + photo[Field::kServer] + L"/" +
               photo[Field::kId] + L"_" + photo[Field::kSecret];
    for (int i = 0; i < ImageItem_CL::kSizeCount; ++i) item.sizes[i] = size_of(photo, i);
    // An original whose format the service does not name is not taken.
    if (!photo.offers_original()) item.sizes[kOriginal] = ImageItem_CL::Size();
    if (item.sizes[kOriginal].url.empty()) item.sizes[kOriginal] = largest_instead_of_original(photo);
    item.farm = number(photo[Field::kFarm]);
    item.license = number(photo[Field::kLicense]);
    item.media = std::move(photo[Field::kMedia]);
    item.dateTaken = std::move(photo[Field::kDateTaken]);
    item.title = repaired(photo[Field::kTitle]);
    item.ownerName = repaired(photo[Field::kOwnerName]);
    item.owner = std::move(photo[Field::kOwner]);
    item.pathAlias = std::move(photo[Field::kPathAlias]);
    return item;
}

}  // namespace

FlickrXmlHelper_CL::FlickrXmlHelper_CL()
    : FlickrXmlHelper_CL(narrow_units(service_config::api_key()), narrow_units(service_config::shared_secret()))
{
}

FlickrXmlHelper_CL::FlickrXmlHelper_CL(std::string api_key, std::string shared_secret)
    : api_key_(std::move(api_key)), shared_secret_(std::move(shared_secret)), frob_(kInitialFrob)
{
}

std::string FlickrXmlHelper_CL::signature(const std::string& sorted_parameters) const
{
    return md5_.md5_hex(shared_secret_ + "api_key" + api_key_ + sorted_parameters);
}

std::string FlickrXmlHelper_CL::build_signed_url(const std::string& method) const
{
    return service_base(service_config::rest_url()) + "/services/rest/?method=" + method + "&api_key=" + api_key_ +
           "&api_sig=" + signature("method" + method);
}

std::string FlickrXmlHelper_CL::build_signed_url_with_frob(const std::string& method) const
{
    return service_base(service_config::rest_url()) + "/services/rest/?method=" + method + "&api_key=" + api_key_ +
           "&frob=" + frob_ + "&api_sig=" + signature("frob" + frob_ + "method" + method);
}

std::string FlickrXmlHelper_CL::build_auth_url(const std::string& perms) const
{
    return service_base(service_config::web_url()) + "/services/auth/?api_key=" + api_key_ + "&perms=" + perms +
           "&frob=" + frob_ + "&api_sig=" + signature("frob" + frob_ + "perms" + perms);
}

std::string FlickrXmlHelper_CL::query_prefix(const char* method) const
{
    return service_base(service_config::web_url()) + "/services/rest/?method=" + method + "&format=rest";
}

std::wstring FlickrXmlHelper_CL::photostream_url(const ImageItem_CL& item)
{
    return widen_bytes(service_base(service_config::web_url())) + L"/photos/" +
           (item.pathAlias.empty() ? item.owner : item.pathAlias) + L"/";
}

HRESULT FlickrXmlHelper_CL::fetch(const std::string& url)
{
    outcome_ = ServiceOutcome();
    if (http_.fetch(url) == S_OK) return S_OK;
    outcome_ = ServiceOutcome::no_answer(http_.last_error(), http_.status_code());
    return E_FAIL;
}

HRESULT FlickrXmlHelper_CL::load_response()
{
    return load_service_answer(http_.body());
}

HRESULT FlickrXmlHelper_CL::test_echo()
{
    if (fetch(build_signed_url("flickr.test.echo")) != S_OK) return E_FAIL;
    return load_response();
}

HRESULT FlickrXmlHelper_CL::load_service_answer(const char* answer)
{
    outcome_ = ServiceOutcome();
    const ComPtr<IXMLDOMNode> root = load_answer(answer) == S_OK ? xml_.select_single_node(L"/rsp") : ComPtr<IXMLDOMNode>();
    const ComPtr<IXMLDOMElement> rsp = root ? XmlHelper_CL::as_element(root.get()) : ComPtr<IXMLDOMElement>();
    if (!rsp) {
        // An error page of a server on the way, or nothing the service would send.
        outcome_ = ServiceOutcome::no_answer(0, http_.status_code() != 0 ? http_.status_code() : 200);
        return E_FAIL;
    }
    AttributeMap map;
    XmlHelper_CL::read_attributes(rsp.get(), map);
    if (text_of(map, L"stat") != L"fail") return S_OK;
    AttributeMap error;
    if (const ComPtr<IXMLDOMNode> err = xml_.select_single_node(L"/rsp/err")) XmlHelper_CL::read_attributes(err.get(), error);
    outcome_ = ServiceOutcome::refused(int_of(error, L"code"), repaired(text_of(error, L"msg")));
    return E_FAIL;
}

HRESULT FlickrXmlHelper_CL::load_answer(const char* answer)
{
    return xml_.load_xml(widen_bytes(answer ? answer : ""));
}

HRESULT FlickrXmlHelper_CL::parse_photos(const wchar_t* path, std::vector<ImageItem_CL>& items)
{
    return parse_photos_from(http_.body(), path, items);
}

HRESULT FlickrXmlHelper_CL::parse_photos_from(const char* answer, const wchar_t* path, std::vector<ImageItem_CL>& items)
{
    const HRESULT loaded = load_service_answer(answer);
    if (loaded != S_OK)
        return loaded;
    PhotoAttributes photo;
    for (const ComPtr<IXMLDOMNode>& element : xml_.select_nodes(path)) {
        photo.read(element.get());
        // An original in another format would not install; the service's own
        // sizes of a photo whose original it keeps back are JPEGs.
        if (photo.is_jpeg_original() || !photo.offers_original())
            items.push_back(photo_from(photo));
    }
    return S_OK;
}

HRESULT FlickrXmlHelper_CL::parse_users(std::vector<UserRecord>& users)
{
    users.clear();
    const HRESULT loaded = load_response();
    if (loaded != S_OK)
        return loaded;
    AttributeMap map;
    for (const ComPtr<IXMLDOMNode>& username : xml_.select_nodes(L"/rsp/user/username")) {
        std::wstring name;
        ComPtr<IXMLDOMNode> user;
        if (!XmlHelper_CL::node_text(username.get(), name) || FAILED(username->get_parentNode(user.receive())) || !user)
            continue;
        XmlHelper_CL::read_attributes(user.get(), map);
        users.push_back(UserRecord{0, text_of(map, L"id"), name});
    }
    return S_OK;
}

HRESULT FlickrXmlHelper_CL::parse_frob()
{
    const HRESULT loaded = load_answer(http_.body());
    if (loaded != S_OK)
        return loaded;
    const ComPtr<IXMLDOMNode> node = xml_.select_single_node(L"/rsp/frob");
    if (!node)
        return S_OK;
    std::wstring text;
    if (!XmlHelper_CL::node_text(node.get(), text))
        return E_FAIL;
    frob_ = narrow_units(text);
    return S_OK;
}

HRESULT FlickrXmlHelper_CL::parse_token(std::wstring& token)
{
    token.clear();
    const HRESULT loaded = load_answer(http_.body());
    if (loaded != S_OK)
        return loaded;
    const ComPtr<IXMLDOMNode> node = xml_.select_single_node(L"/rsp/auth/token");
    if (!node || !XmlHelper_CL::node_text(node.get(), token))
        return E_FAIL;
    return S_OK;
}
