#include <cstdio>
#include <string>

#include <windows.h>
#include <msxml2.h>

#include "Bench.h"
#include "Figures.h"
#include "photoservice/FlickrXmlHelper_CL.h"
#include "base/TextConvert.h"
#include "base/BString.h"
#include "base/ComPtr.h"

namespace {

const CLSID kDomDocumentClsid = {0x2933BF90, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
const IID kDomDocumentIid = {0x2933BF81, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

// One photo element as the popular-photos query gets it back: every extra that
// the query asks for, the seven sizes, a Japanese title and owner name in UTF-8.
std::string photo_element(int i)
{
    static const char* const sizes[7][2] = {{"sq", "s"}, {"t", "t"}, {"s", "m"}, {"m", ""},
                                            {"z", "z"}, {"l", "b"}, {"o", "o"}};
    static const int widths[7] = {75, 100, 240, 500, 640, 1024, 4000};
    char stem[80];
    std::snprintf(stem, sizeof(stem), "https://live.staticflickr.com/65535/5%010d_%08x", i, 0x4f3e2d1cu ^ static_cast<unsigned>(i));
    char head[640];
    std::snprintf(head, sizeof(head),
                  "<photo id=\"5%010d\" owner=\"12345678@N0%d\" secret=\"%08x\" server=\"65535\" farm=\"66\" "
                  "title=\"\xE5\xA4\x95\xE6\x9A\xAE\xE3\x82\x8C\xE3\x81\xAE\xE5\xAF\x8C\xE5\xA3\xAB\xE5\xB1\xB1 %d\" "
                  "ispublic=\"1\" isfriend=\"0\" isfamily=\"0\" license=\"%d\" dateupload=\"1714700000\" "
                  "lastupdate=\"1714800000\" datetaken=\"2024-05-03 10:22:11\" datetakengranularity=\"0\" "
                  "datetakenunknown=\"0\" ownername=\"\xE5\xB1\xB1\xE7\x94\xB0 \xE8\x8A\xB1\xE5\xAD\x90\" "
                  "iconserver=\"65535\" iconfarm=\"66\" views=\"%d\" tags=\"fuji lake autumn\" machine_tags=\"\" "
                  "originalsecret=\"%08x\" originalformat=\"%s\" latitude=\"35.51\" longitude=\"138.75\" "
                  "accuracy=\"16\" context=\"0\" media=\"photo\" media_status=\"ready\" pathalias=\"hanako_yamada\"",
                  i, i % 10, 0x4f3e2d1cu ^ static_cast<unsigned>(i), i, 1 + i % 6, 1000 + i, static_cast<unsigned>(i) * 2654435761u,
                  i % 10 == 9 ? "png" : "jpg");
    std::string element = head;
    for (int s = 0; s < 7; ++s) {
        char size[200];
        std::snprintf(size, sizeof(size), " url_%s=\"%s%s%s.jpg\" height_%s=\"%d\" width_%s=\"%d\"", sizes[s][0], stem,
                      *sizes[s][1] ? "_" : "", sizes[s][1], sizes[s][0], widths[s] * 2 / 3, sizes[s][0], widths[s]);
        element += size;
    }
    return element + " />\n";
}

std::string popular_answer(int photos)
{
    std::string answer = "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<rsp stat=\"ok\">\n"
                         "<photos page=\"1\" pages=\"1\" perpage=\"" + std::to_string(photos) +
                         "\" total=\"" + std::to_string(photos) + "\">\n";
    for (int i = 0; i < photos; ++i) answer += photo_element(i);
    return answer + "</photos>\n</rsp>\n";
}

// What the platform parser alone takes for the same text.
void load_document(const BString& xml)
{
    ComPtr<IXMLDOMDocument> document;
    if (FAILED(CoCreateInstance(kDomDocumentClsid, nullptr, CLSCTX_INPROC_SERVER, kDomDocumentIid, document.receive_void())))
        return;
    document->put_async(VARIANT_FALSE);
    VARIANT_BOOL loaded = VARIANT_FALSE;
    document->loadXML(xml.get(), &loaded);
}

}  // namespace

void figure_photo_answer()
{
    const std::string answer = popular_answer(4000);
    bench::note("answer of 4,000 photos: " + std::to_string(answer.size() / 1024) + " KiB");
    FlickrXmlHelper_CL client("key", "secret");
    size_t kept = 0;
    const double ours = bench::best_of(5, [&] {
        std::vector<ImageItem_CL> items;
        if (client.parse_photos_from(answer.c_str(), L"/rsp/photos/photo", items) == S_OK) kept = items.size();
    });
    const BString text(widen_bytes(answer));
    const double floor = bench::best_of(5, [&] { load_document(text); });
    bench::report("parse_photos (4,000 photos)", ours, floor, 2.0);
    bench::note(std::to_string(kept) + " photos kept (the png originals are dropped)");
}
