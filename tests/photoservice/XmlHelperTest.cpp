#include <gtest/gtest.h>

#include "ComApartment.h"
#include "photoservice/XmlHelper_CL.h"

namespace {

class Xml : public ::testing::Test {
protected:
    ComApartment com;
    XmlHelper_CL xml;
    void SetUp() override { ASSERT_TRUE(com.ok()); }
};

}  // namespace

TEST_F(Xml, SelectsElementsInOrderAndReadsTheirAttributes)
{
    ASSERT_EQ(xml.load_xml(L"<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n"
                           L"<rsp stat=\"ok\"><photos page=\"1\">"
                           L"<photo id=\"1\" farm=\"5\" title=\"\"/><photo id=\"2\" width_o=\"-12\"/>"
                           L"<photo id=\"3\" width_o=\"abc\"/></photos><other><photo id=\"9\"/></other></rsp>"),
              S_OK);
    const auto photos = xml.select_nodes(L"/rsp/photos/photo");
    ASSERT_EQ(photos.size(), 3u);
    AttributeMap map;
    XmlHelper_CL::read_attributes(photos[0].get(), map);
    EXPECT_EQ(text_of(map, L"id"), L"1");
    EXPECT_EQ(int_of(map, L"farm"), 5);
    EXPECT_EQ(text_of(map, L"title"), L"");
    EXPECT_EQ(text_of(map, L"missing"), L"");
    EXPECT_EQ(int_of(map, L"missing"), 0);

    XmlHelper_CL::read_attributes(photos[1].get(), map);
    EXPECT_EQ(text_of(map, L"id"), L"2");
    EXPECT_EQ(text_of(map, L"farm"), L"") << "the map is filled afresh";
    EXPECT_EQ(int_of(map, L"width_o"), -12);
    XmlHelper_CL::read_attributes(photos[2].get(), map);
    EXPECT_EQ(int_of(map, L"width_o"), 0);

    EXPECT_TRUE(xml.select_nodes(L"/rsp/photoset/photo").empty());
    const auto single = xml.select_single_node(L"/rsp/other/photo");
    ASSERT_TRUE(single);
    XmlHelper_CL::read_attributes(single.get(), map);
    EXPECT_EQ(text_of(map, L"id"), L"9");
    EXPECT_FALSE(xml.select_single_node(L"/rsp/frob"));
}

TEST_F(Xml, MalformedTextFailsAndDropsThePreviousDocument)
{
    ASSERT_EQ(xml.load_xml(L"<rsp><frob>1</frob></rsp>"), S_OK);
    EXPECT_EQ(xml.load_xml(L"<rsp><frob>1</rsp>"), E_FAIL);
    EXPECT_FALSE(xml.select_single_node(L"/rsp/frob"));
    EXPECT_EQ(xml.load_xml(L""), E_FAIL);
    EXPECT_EQ(xml.load_xml(L"not xml at all"), E_FAIL);
}

TEST_F(Xml, DocumentTypeDeclarationsAreRefused)
{
    EXPECT_EQ(xml.load_xml(L"<?xml version=\"1.0\"?><!DOCTYPE rsp [<!ENTITY a \"boom\">]>"
                           L"<rsp><frob>&a;</frob></rsp>"),
              E_FAIL);
    EXPECT_FALSE(xml.select_single_node(L"/rsp/frob"));
    EXPECT_EQ(xml.load_xml(L"<!DOCTYPE rsp SYSTEM \"file:///c:/windows/win.ini\"><rsp/>"), E_FAIL);
}
