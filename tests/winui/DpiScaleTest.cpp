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
