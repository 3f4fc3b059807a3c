#include "ServiceStandIn.h"
#include "photoservice/FlickrXmlHelper_CL.h"
#include "base/TextConvert.h"

namespace {

const std::string kKey = "9a0554259914a86fb9e7eb014e4e5d52";
const std::string kSecret = "000005fab4534d05";
const std::string kFrob = "72157000000000001-0123456789abcdef-123456";
// The signatures below were computed elsewhere from the secret followed by the
// sorted parameters, names and values run together.
const std::string kFrobQuery = "method=flickr.auth.getFrob&api_key=" + kKey + "&api_sig=8ad70cd3888ce493c8dde4931f7d6bd0";
const std::string kTokenQuery =
    "method=flickr.auth.getToken&api_key=" + kKey + "&frob=" + kFrob + "&api_sig=76084f2709d35fbd5f3b1e485dd3d2e5";
const std::string kTokenAnswer =
    answer("<auth><token>72157626000000000-0123456789abcdef</token><perms>read</perms>"
           "<user nsid=\"1@N00\" username=\"u\" fullname=\"\"/></auth>");

// Records what the flow asks of the desktop and answers the box from a script.
struct Desktop {
    std::vector<std::wstring> opened;
    int confirmations = 0;
    std::function<bool(int)> answer_box = [](int) { return false; };

    FlickrXmlHelper_CL::SignInSteps steps()
    {
        FlickrXmlHelper_CL::SignInSteps steps;
        steps.open_page = [this](const std::wstring& page) { opened.push_back(page); };
        steps.confirm = [this] { return answer_box(++confirmations); };
        return steps;
    }
};

class Authorize : public ServiceStandIn {
protected:
    FlickrXmlHelper_CL client{kKey, kSecret};
    Desktop desktop;
};

}  // namespace

TEST_F(Authorize, AnApprovedApplicationGetsItsTokenWithoutBrowserOrBox)
{
    serve_answer_to(kFrobQuery, answer("<frob>" + kFrob + "</frob>"));
    serve_answer_to(kTokenQuery, kTokenAnswer);
    EXPECT_EQ(client.authorize("read", desktop.steps()), L"72157626000000000-0123456789abcdef");
    EXPECT_TRUE(desktop.opened.empty());
    EXPECT_EQ(desktop.confirmations, 0);
    EXPECT_EQ(client.frob(), kFrob);
    EXPECT_EQ(requests(), (std::vector<std::string>{"services/rest/?" + kFrobQuery, "services/rest/?" + kTokenQuery}));
}

TEST_F(Authorize, OkWithoutApprovalOpensTheSameSignInPageAgain)
{
    serve_answer_to(kFrobQuery, answer("<frob>" + kFrob + "</frob>"));
    serve_answer_to(kTokenQuery, answer("<err code=\"108\" msg=\"Invalid frob\"/>", "fail"));
    desktop.answer_box = [this](int round) {
        if (round == 2)
            serve_answer_to(kTokenQuery, kTokenAnswer);
        return true;
    };
    EXPECT_EQ(client.authorize("read", desktop.steps()), L"72157626000000000-0123456789abcdef");
    EXPECT_EQ(desktop.confirmations, 2);
    const std::wstring page = address() + L"/services/auth/?api_key=" + widen_bytes(kKey) + L"&perms=read&frob=" +
                              widen_bytes(kFrob) + L"&api_sig=67f1d4c5ec99a4848bc60a83741bd5fb";
    EXPECT_EQ(desktop.opened, (std::vector<std::wstring>{page, page}));
}

TEST_F(Authorize, CancelAtTheFirstBoxGivesNoToken)
{
    serve_answer_to(kFrobQuery, answer("<frob>" + kFrob + "</frob>"));
    EXPECT_EQ(client.authorize("read", desktop.steps()), L"");
    EXPECT_EQ(desktop.opened.size(), 1u);
    EXPECT_EQ(desktop.confirmations, 1);
}

TEST_F(Authorize, NoAnswerToTheFrobRequestEndsAtOnce)
{
    serve_answer(answer("<frob>" + kFrob + "</frob>"));
    point_service_at(L"", L"_length0");
    EXPECT_EQ(client.authorize("read", desktop.steps()), L"");
    EXPECT_TRUE(desktop.opened.empty());
    EXPECT_EQ(desktop.confirmations, 0);
}

TEST_F(Authorize, AnErrorAnswerToTheFrobRequestKeepsTheFrobHeld)
{
    const std::string held = client.frob();
    serve_answer_to(kFrobQuery, answer("<err code=\"100\" msg=\"Invalid API Key\"/>", "fail"));
    EXPECT_EQ(client.authorize("read", desktop.steps()), L"");
    EXPECT_EQ(client.frob(), held);
    ASSERT_EQ(desktop.opened.size(), 1u);
    EXPECT_NE(desktop.opened[0].find(L"&frob=" + widen_bytes(held) + L"&"), std::wstring::npos);
}

TEST_F(Authorize, ASignInPageThatIsNotAWebAddressIsNeverOpened)
{
    serve_answer_to(kFrobQuery, answer("<frob>" + kFrob + "</frob>"));
    set_web_url(L"C:\\Windows\\System32\\calc.exe?");
    desktop.answer_box = [](int) { return true; };
    EXPECT_EQ(client.authorize("read", desktop.steps()), L"");
    EXPECT_TRUE(desktop.opened.empty());
    EXPECT_EQ(desktop.confirmations, 0);
}
