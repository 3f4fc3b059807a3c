#include "photoservice/HtmlText.h"

#include <cwchar>
#include <cwctype>

namespace {

constexpr wchar_t kReplacement = 0xFFFD;

struct NamedReference {
    const wchar_t* name;
    wchar_t character;
};

// The references that turn up in authors' and titles' markup; an unknown one stays as it is.
constexpr NamedReference kNamedReferences[] = {
    {L"amp", L'&'},        {L"lt", L'<'},        {L"gt", L'>'},       {L"quot", L'"'},       {L"apos", L'\''},
    {L"nbsp", L' '},       {L"ensp", L' '},      {L"emsp", L' '},     {L"thinsp", L' '},     {L"ndash", 0x2013},
    {L"mdash", 0x2014},    {L"lsquo", 0x2018},   {L"rsquo", 0x2019},  {L"ldquo", 0x201C},    {L"rdquo", 0x201D},
    {L"hellip", 0x2026},   {L"middot", 0x00B7},  {L"copy", 0x00A9},   {L"reg", 0x00AE},      {L"eacute", 0x00E9},
    {L"egrave", 0x00E8},   {L"aacute", 0x00E1},  {L"agrave", 0x00E0}, {L"ouml", 0x00F6},     {L"uuml", 0x00FC},
    {L"auml", 0x00E4},     {L"szlig", 0x00DF},   {L"ccedil", 0x00E7}, {L"oacute", 0x00F3},   {L"iacute", 0x00ED},
};

// Tags after which the text goes on on a new line in a browser.
bool breaks_line(const std::wstring& tag)
{
    static const wchar_t* const kBreaking[] = {L"br", L"p", L"div", L"li", L"tr", L"td", L"th", L"dd", L"dt", L"hr"};
    for (const wchar_t* name : kBreaking)
        if (_wcsicmp(tag.c_str(), name) == 0) return true;
    return false;
}

void append_code_point(std::wstring& text, unsigned long code)
{
    if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        text.push_back(kReplacement);
    } else if (code > 0xFFFF) {
        code -= 0x10000;
        text.push_back(static_cast<wchar_t>(0xD800 + (code >> 10)));
        text.push_back(static_cast<wchar_t>(0xDC00 + (code & 0x3FF)));
    } else {
        text.push_back(static_cast<wchar_t>(code));
    }
}

// Decodes the reference at html[at] == '&' into text; the index after it, or
// at + 1 (the '&' kept) when it is no reference.
size_t decode_reference(const std::wstring& html, size_t at, std::wstring& text)
{
    const size_t end = html.find(L';', at + 1);
    // The longest reference we know is shorter than this.
    if (end == std::wstring::npos || end - at > 12) {
        text.push_back(L'&');
        return at + 1;
    }
    const std::wstring name = html.substr(at + 1, end - at - 1);
    if (name.size() > 1 && name[0] == L'#') {
        const bool hex = name[1] == L'x' || name[1] == L'X';
        const std::wstring digits = name.substr(hex ? 2 : 1);
        wchar_t* stop = nullptr;
        const unsigned long code = std::wcstoul(digits.c_str(), &stop, hex ? 16 : 10);
        if (!digits.empty() && *stop == L'\0' && std::iswxdigit(digits[0])) {
            append_code_point(text, code);
            return end + 1;
        }
    }
    for (const NamedReference& reference : kNamedReferences) {
        if (name == reference.name) {
            text.push_back(reference.character);
            return end + 1;
        }
    }
    text.push_back(L'&');
    return at + 1;
}

// html[at] == '<': the index after the tag, or at when '<' starts no tag.
size_t skip_tag(const std::wstring& html, size_t at, std::wstring& text)
{
    const size_t first = at + 1;
    if (first >= html.size() || !(std::iswalpha(html[first]) || html[first] == L'/' || html[first] == L'!'))
        return at;
    const size_t end = html.find(L'>', first);
    if (end == std::wstring::npos) return html.size();
    size_t name_start = html[first] == L'/' ? first + 1 : first;
    size_t name_end = name_start;
    while (name_end < end && std::iswalnum(html[name_end])) ++name_end;
    if (breaks_line(html.substr(name_start, name_end - name_start))) text.push_back(L' ');
    return end + 1;
}

// Runs of blanks and controls as one blank, none at the ends.
std::wstring folded(const std::wstring& text)
{
    std::wstring result;
    bool blank = false;
    for (wchar_t c : text) {
        if (c <= L' ' || c == 0x7F || (c >= 0x80 && c < 0xA0)) {
            blank = !result.empty();
            continue;
        }
        if (blank) result.push_back(L' ');
        blank = false;
        result.push_back(c);
    }
    return result;
}

}  // namespace

std::wstring html_to_text(const std::wstring& html)
{
    std::wstring text;
    text.reserve(html.size());
    size_t i = 0;
    while (i < html.size()) {
        if (html[i] == L'<') {
            const size_t next = skip_tag(html, i, text);
            if (next != i) {
                i = next;
                continue;
            }
        }
        if (html[i] == L'&') {
            i = decode_reference(html, i, text);
            continue;
        }
        text.push_back(html[i++]);
    }
    return folded(text);
}
