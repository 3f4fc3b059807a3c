#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "base/Trace.h"

using testing_support::TempFolder;
using testing_support::file_exists;
using testing_support::read_file;

namespace {

std::string text_of(const std::wstring& path)
{
    const std::vector<unsigned char> bytes = read_file(path);
    return std::string(bytes.begin(), bytes.end());
}

unsigned long long size_of(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

class Tracing : public ::testing::Test {
protected:
    TempFolder folder;
    const std::wstring log = folder.file(L"Tapestrel.log");
    void TearDown() override { trace::set_log_file(L""); }
};

}  // namespace

TEST_F(Tracing, QuietUntilALogFileIsNamed)
{
    trace::failure(L"nobody asked");
    EXPECT_FALSE(file_exists(log));

    trace::set_log_file(log);
    trace::failure(L"list not saved: 富士山.dat", 5);
    trace::failure(L"second");
    trace::set_log_file(L"");
    trace::failure(L"after the log was stopped");

    const std::string text = text_of(log);
    EXPECT_NE(text.find("Tapestrel: list not saved: \xE5\xAF\x8C\xE5\xA3\xAB\xE5\xB1\xB1.dat (code 5)\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Tapestrel: second\r\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("nobody asked"), std::string::npos);
    EXPECT_EQ(text.find("after the log"), std::string::npos);
}

// Left on for months, the log must not grow without bound: past the limit
// it starts over and keeps only its previous part beside it.
TEST_F(Tracing, TheLogStaysBoundedAndKeepsItsPreviousPart)
{
    trace::set_log_file(log);
    const std::wstring filler(200, L'x');
    int lines = 0;
    while (!file_exists(log + L".old") && lines < 10000) {
        trace::failure(L"line " + std::to_wstring(lines) + L" " + filler);
        ++lines;
    }
    ASSERT_TRUE(file_exists(log + L".old")) << "the log never started over";
    for (int i = 0; i < 3000; ++i) trace::failure(L"more " + filler);
    EXPECT_LE(size_of(log), trace::kLogLimit);
    EXPECT_LE(size_of(log + L".old"), trace::kLogLimit);
    EXPECT_GT(size_of(log + L".old"), trace::kLogLimit / 2);
    EXPECT_NE(text_of(log).find("more"), std::string::npos);
}
