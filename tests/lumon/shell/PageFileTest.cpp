// The page-file parser: every link, record and count is checked against the
// body, and the installation maker's default page reads as a version 3 page.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "lumon/shell/PageFile.h"
#include "tests/lumon/shell/PageFixture.h"
#include "tests/support/DataServerPeer.h"

using namespace pagetest;

namespace {

PageFileData Parse(const std::string &image, bool v3Only = false)
{
    return ParsePageFile(reinterpret_cast<const uint8_t *>(image.data()), image.size(), v3Only);
}

template <typename T>
void Put(std::string &image, size_t at, T value)
{
    std::memcpy(image.data() + at, &value, sizeof value);
}

constexpr size_t kTop = 76, kFirst = 76 + 20, kSecond = 76 + 400;

TEST(PageFileTest, AWellFormedPageReadsBack)
{
    std::vector<PageNode> nodes = SplitNodes();
    nodes[2].Attr.Blocks[3] = 77;  // run-time area of the chart
    nodes[1].Attr.Blocks[3] = 33;  // a quote list's block tab
    nodes[2].State.Link = 1;
    PageFileData d = Parse(Version3(SerializePageBody(nodes), "页面名"));
    ASSERT_EQ(d.Kind, PageFileKind::Version3);
    EXPECT_STREQ(d.Name, "页面名");
    ASSERT_EQ(d.Nodes.size(), 3u);
    EXPECT_EQ(d.Nodes[0].First, 1);
    EXPECT_EQ(d.Nodes[0].Second, 2);
    EXPECT_EQ(d.Nodes[1].Attr.ViewType, VIEW_REPORT);
    EXPECT_EQ(d.Nodes[1].Attr.Blocks[3], 33);
    EXPECT_EQ(d.Nodes[2].Attr.Blocks[3], 0) << "no run-time value comes from a file";
    EXPECT_EQ(d.Nodes[2].State.Link, 1);
    EXPECT_EQ(0, std::memcmp(&d.Nodes[2].Attr.Items, &nodes[2].Attr.Items, sizeof nodes[2].Attr.Items));
}

TEST(PageFileTest, ABadLinkRecordOrCountMakesTheFileUnreadable)
{
    const std::string good = Version3(SerializePageBody(SplitNodes()));
    ASSERT_EQ(Parse(good).Kind, PageFileKind::Version3);
    struct Case {
        const char *what;
        std::function<void(std::string &)> spoil;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Case cases[] = {
        {"length one more", [](std::string &s) { Put<uint32_t>(s, 72, uint32_t(s.size() - 75)); }},
        {"length one less", [](std::string &s) { Put<uint32_t>(s, 72, uint32_t(s.size() - 77)); }},
        {"a link past the body", [](std::string &s) { Put<uint32_t>(s, kTop + 4, 100000u); }},
        {"a link into the last bytes", [](std::string &s) { Put<uint32_t>(s, kTop + 4, uint32_t(s.size() - 76 - 4)); }},
        {"kind 0", [](std::string &s) { Put<int32_t>(s, kFirst + 12, 0); }},
        {"kind 5", [](std::string &s) { Put<int32_t>(s, kSecond + 12, 5); }},
        {"ratio NaN", [nan](std::string &s) { Put<float>(s, kFirst + 16, nan); }},
        {"ratio 1.5", [](std::string &s) { Put<float>(s, kFirst + 16, 1.5f); }},
        {"ratio below 0", [](std::string &s) { Put<float>(s, kSecond + 16, -0.1f); }},
        {"leaf flag 2", [](std::string &s) { Put<uint32_t>(s, kFirst + 8, 2u); }},
        {"17 columns", [](std::string &s) { Put<int32_t>(s, kFirst + 20 + 16, 17); }},
        {"a negative block count", [](std::string &s) { Put<int32_t>(s, kFirst + 20 + 88, -1); }},
        {"17 view-state columns", [](std::string &s) { Put<int32_t>(s, kFirst + 180 + 72, 17); }},
        {"7 K-line items in the state", [](std::string &s) { Put<int32_t>(s, kSecond + 180 + 168, 7); }},
        {"a leaf cut short",
         [](std::string &s) {
             s.resize(s.size() - 10);
             Put<uint32_t>(s, 72, uint32_t(s.size() - 76));
         }},
        {"no pane at all", [](std::string &s) { s.resize(96); Put<uint32_t>(s, 72, 20u); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::string image = good;
        c.spoil(image);
        EXPECT_EQ(Parse(image).Kind, PageFileKind::Unreadable);
    }
}

TEST(PageFileTest, NestingBeyondTheLimitIsRefused)
{
    // 40 splits nested in their first parts, a pane at the bottom.
    std::vector<PageNode> nodes(41);
    for (int i = 0; i < 40; ++i)
        nodes[size_t(i)].First = i + 1;
    nodes[40].Leaf = true;
    InitViewState(&nodes[40].State);
    EXPECT_EQ(Parse(Version3(SerializePageBody(nodes))).Kind, PageFileKind::Unreadable);
    nodes.resize(MaxPageDepth + 1);
    nodes.back().First = -1;
    nodes.back().Leaf = true;
    std::string image = Version3(SerializePageBody(nodes));
    EXPECT_EQ(Parse(image).Kind, PageFileKind::Version3);
    // A link to the record itself, or back before it.
    for (uint32_t link : {20u, 1u}) {
        std::string spoilt = image;
        Put<uint32_t>(spoilt, 76 + 20, link);
        EXPECT_EQ(Parse(spoilt).Kind, PageFileKind::Unreadable) << link;
    }
}

TEST(PageFileTest, HeadersOfTheThreeVersions)
{
    std::vector<PageNode> nodes = SplitNodes();
    // Version 1: the body without view states.
    std::string v1body;
    for (int i : {0, 1, 2}) {
        PageNodeRecord rec{i == 0 ? 20u : 0u, i == 0 ? 200u : 0u, i == 0 ? 0u : 1u, nodes[size_t(i)].Kind,
                           nodes[size_t(i)].Ratio};
        v1body.append(reinterpret_cast<const char *>(&rec), sizeof rec);
        if (i)
            v1body.append(reinterpret_cast<const char *>(&nodes[size_t(i)].Attr), sizeof(VIEW_ATTR));
    }
    std::string v1(4, '\0');
    Put<uint32_t>(v1, 0, uint32_t(v1body.size()));
    v1 += v1body;
    PageFileData d1 = Parse(v1);
    ASSERT_EQ(d1.Kind, PageFileKind::Version1);
    EXPECT_EQ(d1.Nodes[2].Attr.ViewType, VIEW_KLINE);
    EXPECT_EQ(d1.Nodes[2].State.InfoWindow, 1) << "a fresh view state";

    std::vector<uint8_t> body = SerializePageBody(nodes);
    std::string v2 = "lmpage02" + std::string(4, '\0') + std::string(body.begin(), body.end());
    Put<uint32_t>(v2, 8, uint32_t(body.size()));
    EXPECT_EQ(Parse(v2).Kind, PageFileKind::Version2);
    EXPECT_EQ(Parse(v2, true).Kind, PageFileKind::Unreadable) << "the default page is read as version 3 only";

    std::string v3 = Version3(body);
    v3[7] = '7';
    EXPECT_EQ(Parse(v3).Kind, PageFileKind::Unreadable);
    EXPECT_EQ(Parse(v3, true).Kind, PageFileKind::Version3) << "the default page's version digits are not examined";

    char name[64];
    for (const std::string &image : {v1, v2, Version3(body)})
        EXPECT_NE(ParsePageHeader(reinterpret_cast<const uint8_t *>(image.data()), image.size(), image.size(), name),
                  0);
    EXPECT_EQ(ParsePageHeader(reinterpret_cast<const uint8_t *>(v2.data()), v2.size(), v2.size() + 1, name), 0);
}

TEST(PageFileTest, UpgradedNamesTakeTheFileNumber)
{
    char name[64];
    UpgradedPageName("..\\Cfg\\lmpage5.ppg", name);
    EXPECT_STREQ(name, "页面5");
    UpgradedPageName("..\\CFG\\LMPAGE17.PPG", name);
    EXPECT_STREQ(name, "页面17");
    UpgradedPageName("..\\CFG\\other.ppg", name);
    EXPECT_STREQ(name, "页面");
}

TEST_F(PageTest, TheInstallationMakersDefaultPageReadsAsVersion3)
{
    fs::path inst = fs::absolute("made");
    std::string command = "/usr/bin/python3 '" + (peer::Repo() / "tools" / "mkinstall.py").string() + "' '" +
                          inst.string() + "' --no-registry > mkinstall.log 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    PageFileData d = LoadPageFile((inst / "CFG" / "Default.ppg").c_str(), true);
    ASSERT_EQ(d.Kind, PageFileKind::Version3);
    EXPECT_STREQ(d.Name, "默认页面");
    std::vector<uint16_t> types;
    for (const PageNode &n : d.Nodes)
        if (n.Leaf)
            types.push_back(n.Attr.ViewType);
    EXPECT_EQ(types, (std::vector<uint16_t>{VIEW_REPORT, VIEW_TREND, VIEW_KLINE}));
}

} // namespace

namespace {

TEST(PageFileTest, TheFuzzSeedsArePagesOfEachVersion)
{
    const fs::path seeds = peer::Repo() / "tests" / "fuzz" / "corpus" / "pagefile";
    struct Case {
        const char *file;
        PageFileKind kind;
        size_t nodes;
    };
    for (const Case &c : {Case{"v1", PageFileKind::Version1, 3}, Case{"v2", PageFileKind::Version2, 3},
                          Case{"v3", PageFileKind::Version3, 3}, Case{"single", PageFileKind::Version3, 1}}) {
        SCOPED_TRACE(c.file);
        std::string image = ReadFile(seeds / c.file);
        PageFileData d = ParsePageFile(reinterpret_cast<const uint8_t *>(image.data()), image.size(), false);
        EXPECT_EQ(d.Kind, c.kind);
        EXPECT_EQ(d.Nodes.size(), c.nodes);
    }
}

} // namespace
