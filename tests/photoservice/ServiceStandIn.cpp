#include "ServiceStandIn.h"

#include "base/TextConvert.h"
#include "store/AppSettings_CL.h"
#include "store/SettingsKeys.h"

using testing_support::http_url;
using testing_support::serve_file;

void ServiceStandIn::SetUp()
{
    ASSERT_TRUE(com.ok());
    AppSettings.load(documents.path());
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    // The stand-in's request log outlives runs, and Wine reuses process ids.
    GUID run;
    ASSERT_EQ(CoCreateGuid(&run), S_OK);
    folder = L"photo_" + widen_bytes(test->name()) + L"_" + std::to_wstring(run.Data1) + L"_" +
             std::to_wstring(run.Data2);
    point_service_at();
}

std::wstring ServiceStandIn::address(const std::wstring& sub, const std::wstring& switches) const
{
    return http_url((switches.empty() ? L"" : switches + L"/") + folder + (sub.empty() ? L"" : L"/" + sub));
}

void ServiceStandIn::point_service_at(const std::wstring& sub, const std::wstring& switches)
{
    ASSERT_TRUE(AppInifile.write_string(keys::kService, keys::kRestUrl, address(sub, switches)));
    set_web_url(address(sub, switches));
}

void ServiceStandIn::set_web_url(const std::wstring& url)
{
    ASSERT_TRUE(AppInifile.write_string(keys::kService, keys::kWebUrl, url));
}

void ServiceStandIn::serve_answer(const std::string& body, const std::wstring& sub)
{
    ASSERT_TRUE(serve_file((sub.empty() ? folder : folder + L"/" + sub) + L"/services/rest", body));
}

void ServiceStandIn::serve_answer_to(const std::string& query, const std::string& body)
{
    ASSERT_TRUE(serve_file(folder + L"/services/rest@" + widen_bytes(query), body));
}

std::vector<std::string> ServiceStandIn::requests() const
{
    return testing_support::http_requests(folder);
}

std::string answer(const std::string& content, const char* stat)
{
    return std::string("<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<rsp stat=\"") + stat + "\">\n" + content +
           "\n</rsp>\n";
}
