#pragma once
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ComApartment.h"
#include "TestSupport.h"

// A settings file whose SERVICE keys send the client to a folder of its own on
// the loopback stand-in, so each test serves its own answers.
class ServiceStandIn : public ::testing::Test {
protected:
    void SetUp() override;

    // The stand-in's address of this test's folder plus a sub-folder ("" for the
    // folder itself), behind the stand-in's switches ("_length0", "_status500").
    std::wstring address(const std::wstring& sub = L"", const std::wstring& switches = L"") const;
    // Points the REST and web hosts at that address.
    void point_service_at(const std::wstring& sub = L"", const std::wstring& switches = L"");
    void set_web_url(const std::wstring& url);
    // Serves the answer to every REST call under address(sub).
    void serve_answer(const std::string& body, const std::wstring& sub = L"");
    // Serves the answer to the REST call with exactly this query.
    void serve_answer_to(const std::string& query, const std::string& body);
    // The paths and queries the stand-in received for this test's folder, blanks unescaped.
    std::vector<std::string> requests() const;

    testing_support::TempFolder documents;
    ComApartment com;
    std::wstring folder;
};

// An answer of the service: the root element with the given content.
std::string answer(const std::string& content, const char* stat = "ok");
