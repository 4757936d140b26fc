// The console host's own pieces: its options, and the readable layout of a report.
#include <gtest/gtest.h>

#include "host/host_options.h"
#include "host/xml_indent.h"

namespace omni::host {
namespace {

TEST(HostOptions, DefaultsAreEnglishLocalModeAndTheControlsOwnAdministratorCheck) {
    HostOptions options = ParseHostOptions({});
    EXPECT_EQ(options.lang, "eng");
    EXPECT_EQ(options.installMode, 0);
    EXPECT_EQ(options.admin, -1);
    EXPECT_FALSE(options.raw);
    EXPECT_TRUE(options.savePath.empty());
    EXPECT_TRUE(options.error.empty());
}

TEST(HostOptions, EachOptionSetsItsValue) {
    HostOptions options = ParseHostOptions({"--korean", "--links", "--user", "--raw", "--save", "C:\\r.xml"});
    EXPECT_EQ(options.lang, "kor");
    EXPECT_EQ(options.installMode, 2);
    EXPECT_EQ(options.admin, 0);
    EXPECT_TRUE(options.raw);
    EXPECT_EQ(options.savePath, "C:\\r.xml");
    EXPECT_TRUE(options.error.empty());
    EXPECT_EQ(ParseHostOptions({"--lang", "KOR", "--admin"}).lang, "KOR");
    EXPECT_EQ(ParseHostOptions({"--admin"}).admin, 1);
}

TEST(HostOptions, MissingValuesAndUnknownOptionsAreErrors) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--save"}, {"--save", ""}, {"--lang"}, {"--mode", "1"}, {"report.xml"}})
        EXPECT_FALSE(ParseHostOptions(args).error.empty()) << args[0];
}

TEST(IndentXml, PutsEachElementOnItsOwnLineAndTextOnlyElementsOnOne) {
    std::string xml = "<?xml version=\"1.0\"?>\n<a><b x=\"1\"><c>text</c><d/></b><e></e></a>";
    EXPECT_EQ(IndentXml(xml),
              "<?xml version=\"1.0\"?>\n"
              "<a>\n"
              "  <b x=\"1\">\n"
              "    <c>text</c>\n"
              "    <d/>\n"
              "  </b>\n"
              "  <e>\n"
              "  </e>\n"
              "</a>\n");
}

TEST(IndentXml, KeepsMarkupInsideQuotedAttributesAndDropsOldLayout) {
    EXPECT_EQ(IndentXml("<a>\n  <b v=\"x>y\" w='</z>'/>\n</a>"), "<a>\n  <b v=\"x>y\" w='</z>'/>\n</a>\n");
    // Text with a line break keeps it: only white space between elements is layout.
    EXPECT_EQ(IndentXml("<a><b>one\ntwo\n</b></a>"), "<a>\n  <b>one\ntwo\n</b>\n</a>\n");
}

TEST(IndentXml, UnfinishedMarkupIsShownNotLost) {
    EXPECT_EQ(IndentXml("<a><b"), "<a>\n  <b\n");
}

}  // namespace
}  // namespace omni::host
