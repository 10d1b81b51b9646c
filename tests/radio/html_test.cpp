// The stand-in pane's HTML reader on our own pages' shapes and on the markup of ordinary
// pages elsewhere; a randomized run checks that no input breaks it.
#include "radio/html.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>

namespace sonorin::radio {
namespace {

std::vector<std::string> linkTexts(const HtmlPage& page) {
    std::vector<std::string> texts;
    for (const HtmlLink& link : page.links)
        texts.push_back(link.text);
    return texts;
}

TEST(HtmlTokenizer, ReadsTagsAttributesAndTextOfAnyCase) {
    const auto tokens = tokenizeHtml(
        "<!DOCTYPE html><DIV Class=Box data-x='a&amp;b' hidden id=\"q\"/>Tom &amp; Jerry</div>"
        "<!-- <a href=x>not a link</a> --><br/>");
    ASSERT_EQ(tokens.size(), 6u);
    EXPECT_EQ(tokens[0].kind, HtmlToken::Kind::Comment);  // the doctype
    EXPECT_EQ(tokens[1].kind, HtmlToken::Kind::StartTag);
    EXPECT_EQ(tokens[1].text, "div");
    EXPECT_TRUE(tokens[1].selfClosing);
    const std::vector<std::pair<std::string, std::string>> attributes = {
        {"class", "Box"}, {"data-x", "a&b"}, {"hidden", ""}, {"id", "q"}};
    EXPECT_EQ(tokens[1].attributes, attributes);
    EXPECT_EQ(tokens[2].text, "Tom & Jerry");
    EXPECT_EQ(tokens[3].kind, HtmlToken::Kind::EndTag);
    EXPECT_EQ(tokens[3].text, "div");
    EXPECT_EQ(tokens[4].kind, HtmlToken::Kind::Comment);
    EXPECT_EQ(tokens[5].text, "br");
}

TEST(HtmlPageReader, LinksKnowTheHeadingTheyComeUnder) {
    const HtmlPage page = readHtmlPage(
        "<a href=/top>top</a><h1>Radio <i>now</i></h1><a href=/stop>stop</a>"
        "<h2>新闻</h2><ul><li><a href=/1>北京新闻</a></li></ul><h3></h3><a href=/2>x</a>");
    std::vector<std::string> groups;
    for (const HtmlLink& link : page.links)
        groups.push_back(link.group);
    EXPECT_EQ(groups, (std::vector<std::string>{"", "Radio now", "新闻", ""}));
    EXPECT_EQ(page.text, "top\nRadio now\nstop\n新闻\n北京新闻\nx");
}

TEST(HtmlTokenizer, EntitiesNamedNumericAndUnknown) {
    EXPECT_EQ(decodeEntities("&lt;&gt;&quot;&#39;&apos;&nbsp;&copy;&mdash;"),
              "<>\"''\xC2\xA0\xC2\xA9\xE2\x80\x94");
    EXPECT_EQ(decodeEntities("&#20013;&#x6587;&#X73af&#29699;x"), "中文环球x");
    EXPECT_EQ(decodeEntities("&amp &lt3 AT&T &bogus; & &# &#x;"), "& <3 AT&T &bogus; & &# &#x;");
    EXPECT_EQ(decodeEntities("&#0;&#xD800;&#1114112;&#99999999999999999999;"),
              "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(decodeEntities("&mdash"), "&mdash");  // not a legacy name: needs its ";"
}

TEST(HtmlPageReader, LinksInDocumentOrderWithTheirVisibleText) {
    const auto page = readHtmlPage(
        "<html><head><title>电台 &amp; 资讯</title><style>a{color:red}</style>"
        "<script>document.write('<a href=x>脚本链接</a>')</script></head><body>\n"
        "<H1>星澜 电台</H1>\n"
        "<UL><LI><A HREF=/play?station=0&amp;token=t>中文环球</A>\n"
        "<li><a href='/play?station=1'>  <b>北京</b>\n  <i>音乐</i> 台 </a>"
        "<li><a name=anchor></a>"
        "<li><a href=\"/x\">未结束的链接<li><a href=\"/y\">下一个</a>"
        "</ul><p>第一段<br>第二行</p><table><tr><td>开始</td><td>结束</td></tr></table>"
        "<a href=/z>末尾"
        "</body></html>");
    EXPECT_EQ(page.title, "电台 & 资讯");
    EXPECT_EQ(linkTexts(page), (std::vector<std::string>{"中文环球", "北京 音乐 台", "",
                                                         "未结束的链接", "下一个", "末尾"}));
    EXPECT_EQ(page.links[0].href, "/play?station=0&token=t");
    EXPECT_EQ(page.links[2].href, "");
    EXPECT_EQ(page.text,
              "星澜 电台\n中文环球\n北京 音乐 台\n未结束的链接\n下一个\n第一段\n第二行\n"
              "开始 结束\n末尾");
}

TEST(HtmlPageReader, UnclosedAndBrokenMarkupEndsQuietly) {
    for (const char* html :
         {"<", "<a", "<a href=", "<a href=\"/x", "<a href=x>text", "</", "</a", "<!--", "<!",
          "<script>never closed <a href=x>no</a>", "<title>t", "&", "&#", "&#x", "<a =x>y</a>",
          "<<<>>>", "<a href='/x'>a</b></i></a></a>", "\xFF\xFE<a>\xC3</a>"}) {
        const auto page = readHtmlPage(html);
        for (const HtmlLink& link : page.links)
            EXPECT_EQ(link.text.find('\0'), std::string::npos) << html;
    }
    EXPECT_EQ(readHtmlPage("<script>never closed <a href=x>no</a>").links.size(), 0u);
    EXPECT_EQ(readHtmlPage("a < b, 1<2 <> <").text, "a < b, 1<2 <> <");
    EXPECT_EQ(readHtmlPage("<a href=x>\xFF</a>").links.at(0).text, "\xEF\xBF\xBD");
    EXPECT_EQ(readHtmlPage("<SCRIPT>x</ScRiPt >visible").text, "visible");
}

// Random mixes of the pieces that make markup hard, for as long as the budget allows: the
// reader must return, and what it returns must be valid text.
TEST(HtmlPageReader, RandomMarkupNeverBreaksTheReader) {
    const char* const pieces[] = {
        "<",        ">",          "</",       "/>",       "<a",   "<a href=",   "'",
        "\"",       "=",          " ",        "\n",       "&",    "&#",         "&#x1F600;",
        "&amp",     ";",          "<!--",     "-->",      "<!",   "<?",         "<script>",
        "</script", "<style",     "<title>",  "</title>", "</a>", "<A HREF=x>", "中文环球",
        "\xFF",     "\xC3",       "\xE4\xB8", "<br>",     "<p>",  "<td>",       "x",
        "\0",       "<textarea>", "</"};
    const std::size_t count = sizeof pieces / sizeof pieces[0];
    const auto budget = std::chrono::milliseconds(
        std::getenv("SONORIN_FUZZ_SECONDS") ? 1000 * std::atoi(std::getenv("SONORIN_FUZZ_SECONDS"))
                                            : 1500);
    std::mt19937 random(20261207);
    const auto start = std::chrono::steady_clock::now();
    long runs = 0;
    while (std::chrono::steady_clock::now() - start < budget) {
        std::string html;
        const int length = static_cast<int>(random() % 60);
        for (int i = 0; i < length; ++i) {
            if (random() % 8 == 0) {
                html += static_cast<char>(random() % 256);
            } else {
                const char* piece = pieces[random() % count];
                html += piece[0] == '\0' ? std::string(1, '\0') : std::string(piece);
            }
        }
        const HtmlPage page = readHtmlPage(html);
        ASSERT_LE(page.text.size(), 4 * html.size() + 16) << html;
        for (const HtmlLink& link : page.links)
            ASSERT_LE(link.text.size(), 4 * html.size()) << html;
        ++runs;
    }
    EXPECT_GT(runs, 100);
    RecordProperty("runs", static_cast<int>(runs));
}

}  // namespace
}  // namespace sonorin::radio
