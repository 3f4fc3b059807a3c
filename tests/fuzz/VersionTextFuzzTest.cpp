#include <gtest/gtest.h>

#include "FuzzSupport.h"
#include "photoservice/ItemUrls.h"
#include "mainwindow/UpdateCheck_CL.h"

namespace {

bool has_line_break(const std::wstring& text)
{
    return text.find_first_of(L"\r\n") != std::wstring::npos || text.find(L'\0') != std::wstring::npos;
}

bool dotted_decimal(const std::wstring& text)
{
    return !text.empty() && text.find_first_not_of(L"0123456789.") == std::wstring::npos;
}

const std::vector<std::string>& dictionary()
{
    static const std::vector<std::string> words = {
        "1.0.3.0", "1.0.2", "1.0.10.0", "0.0.0.0", "\r\n", "\n", "\r", "\0", "<html>", "<", ".", "..", "-1", "+1",
        " ", "\t", "1e9", "0x10", "00000000000000000001", "99999999999999999999999999999999", "\xEF\xBC\x91",
        "\xEF\xBB\xBF", "http://127.0.0.1/dl", "https://", "javascript:alert(1)", "file:///C:/x.exe",
        "calc.exe", "\\\\host\\share\\setup.exe", std::string(5000, '9')};
    return words;
}

}  // namespace

TEST(VersionTextFuzz, TheVersionIsOneLineAndOnlyDottedNumbersAreNewer)
{
    const std::string base = "1.0.3.0\r\nhttp://127.0.0.1/Tapestrel/download.html\r\n";
    const char* name = "version text";
    const size_t cases = fuzz::announce(name, 20000);
    for (size_t index = 0; index < cases; ++index) {
        const std::string text = fuzz::mutated_case(name, index, base, dictionary(), 4);
        const UpdateCheck_CL::VersionText read = UpdateCheck_CL::read_version_text(text.c_str(), text.size());
        const size_t visible = text.find('\0') == std::string::npos ? text.size() : text.find('\0');
        if (visible > 0 && text[0] == '<') {
            ASSERT_EQ(read.version, L"0.0.0.0") << fuzz::where(index);
            ASSERT_TRUE(read.address.empty()) << fuzz::where(index);
        } else {
            ASSERT_LE(read.version.size() + read.address.size(), visible) << fuzz::where(index);
        }
        ASSERT_FALSE(has_line_break(read.version)) << fuzz::where(index);
        ASSERT_FALSE(has_line_break(read.address)) << fuzz::where(index);
        const bool newer = is_newer_version(read.version, kProgramVersion);
        if (newer) ASSERT_TRUE(dotted_decimal(read.version)) << fuzz::where(index);
        // An order: never newer than itself, never both ways.
        ASSERT_FALSE(is_newer_version(read.version, read.version)) << fuzz::where(index);
        if (newer) ASSERT_FALSE(is_newer_version(kProgramVersion, read.version)) << fuzz::where(index);
        // What the dialog would open is a plain web page or nothing.
        if (is_web_address(read.address)) ASSERT_TRUE(fuzz::fetchable(read.address)) << fuzz::where(index);
    }
}
