#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include <windows.h>

#include "TestSupport.h"
#include "UiTestSupport.h"
#include "winui/DpiScale.h"

namespace {

LOGFONTW face_of(HFONT font)
{
    LOGFONTW face{};
    GetObjectW(font, sizeof(face), &face);
    return face;
}

}  // namespace

TEST(DpiScale, LayoutNumbersAreNinetySixDpiPixelsRoundedToTheNearest)
{
    const DpiScale at144(144);
    EXPECT_EQ(at144(560), 840);
    EXPECT_EQ(at144(360), 540);
    EXPECT_EQ(at144(1), 2) << "a half rounds away from zero";
    EXPECT_EQ(at144(-24), -36);
    EXPECT_EQ(DpiScale(120)(24), 30);
    EXPECT_EQ(DpiScale(96)(313), 313);
    EXPECT_EQ(DpiScale(96).from(840, at144), 560);
    EXPECT_EQ(DpiScale(0).dpi(), DpiScale::kBaseDpi) << "no DPI is the base one";
}

// The 144-DPI run of the window suites says which DPI it set (TAPESTREL_DPI):
// a prefix that silently stayed at 96 would prove nothing.
TEST(DpiScale, WindowsAreShownAtTheDpiOfTheRun)
{
    const std::wstring asked = testing_support::env(L"TAPESTREL_DPI");
    const UINT expected = asked.empty() ? DpiScale::kBaseDpi : static_cast<UINT>(std::wcstoul(asked.c_str(), nullptr, 10));
    ui_testing::HostWindow host;
    EXPECT_EQ(DpiScale::system().dpi(), expected);
    EXPECT_EQ(DpiScale::of(host.hwnd()).dpi(), expected);
    EXPECT_EQ(DpiScale::of(nullptr).dpi(), expected);
}

TEST(DpiScale, EachDpiHasOneFontOfTheGuiFaceAtItsSize)
{
    const LOGFONTW stock = face_of(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
    const LOGFONTW at96 = face_of(DpiScale(96).font());
    const LOGFONTW at192 = face_of(DpiScale(192).font());
    EXPECT_STREQ(at96.lfFaceName, stock.lfFaceName);
    EXPECT_STREQ(at192.lfFaceName, stock.lfFaceName);
    const DpiScale system = DpiScale::system();
    EXPECT_EQ(at96.lfHeight, DpiScale(96).from(stock.lfHeight, system));
    EXPECT_EQ(at192.lfHeight, DpiScale(192).from(stock.lfHeight, system));
    EXPECT_LT(at192.lfHeight, at96.lfHeight) << "taller: the heights are negative";
    EXPECT_EQ(DpiScale::system().font(), DpiScale(DpiScale::system().dpi()).font()) << "shared, not one per call";
    EXPECT_EQ(face_of(DpiScale::system().font()).lfHeight, stock.lfHeight) << "the stock font is the system DPI's";
}

TEST(DpiScale, SmallIconsAreSixteenPixelsAtNinetySixDpi)
{
    EXPECT_EQ(DpiScale(96).metric(SM_CXSMICON), 16);
    EXPECT_EQ(DpiScale(144).metric(SM_CXSMICON), 24);
    EXPECT_EQ(DpiScale(192).metric(SM_CXSMICON), 32);
}

// Without the declaration Windows stretches the program's windows as bitmaps
// and hands it virtualised coordinates; Wine does neither, so the manifest is
// read from the built program itself.
TEST(DpiScale, TheProgramDeclaresPerMonitorAwarenessForEverySupportedSystem)
{
    const HMODULE program = LoadLibraryExW(testing_support::tapestrel_exe().c_str(), nullptr,
                                           LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(program, nullptr);
    const HRSRC resource = FindResourceW(program, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(resource, nullptr);
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(program, resource)));
    const std::string manifest(bytes, SizeofResource(program, resource));
    FreeLibrary(program);
    for (const char* wanted : {"<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">PerMonitorV2, PerMonitor</dpiAwareness>",
                               "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm</dpiAware>",
                               "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                               "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"})
        EXPECT_NE(manifest.find(wanted), std::string::npos) << wanted;
}
