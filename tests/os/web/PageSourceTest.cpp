// What the page engine is given: bytes read in the page's charset, and bounded before it sees them.
#include "os/web/PageSource.h"
#include "PageTestSupport.h"
#include "tests/support/Environment.h"

#include <string>

namespace {

using PageSource = vx::test::Environment;
using webtest::repeat;

size_t count(const std::string& text, const std::string& piece) {
    size_t n = 0;
    for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + piece.size())) ++n;
    return n;
}

const std::string kGBK = "\xD6\xD0\xCE\xC4"; // 中文 in GBK

TEST_F(PageSource, TheCharsetComesFromTheMarkThenTheResponseThenTheMetaElseUTF8) {
    EXPECT_EQ(wk::preparePage("<p>" + kGBK + "</p>", std::string("GBK")).html, "<p>中文</p>");
    EXPECT_EQ(wk::preparePage("<p>" + kGBK + "</p>", std::string("gbk")).charset, "gb18030");

    std::string meta = "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\"><p>" + kGBK + "</p>";
    auto fromMeta = wk::preparePage(meta, std::nullopt);
    EXPECT_EQ(fromMeta.charset, "gb18030");
    EXPECT_NE(fromMeta.html.find("<p>中文</p>"), std::string::npos);
    EXPECT_NE(wk::preparePage("<meta charset='GBK'>" + kGBK, std::nullopt).html.find("中文"), std::string::npos);
    // The response wins over the page's own word.
    auto utf8 = wk::preparePage("<meta charset=\"gbk\"><p>中文</p>", std::string("utf-8"));
    EXPECT_EQ(utf8.charset, "utf-8");
    EXPECT_NE(utf8.html.find("<p>中文</p>"), std::string::npos);
    // A byte-order mark wins over both, and is not part of the text.
    auto marked = wk::preparePage("\xEF\xBB\xBF<p>中文</p>", std::string("gbk"));
    EXPECT_EQ(marked.charset, "utf-8");
    EXPECT_EQ(marked.html, "<p>中文</p>");
    EXPECT_EQ(wk::preparePage(std::string("\xFF\xFE<\0p\0>\0-N\x87\x65", 12), std::nullopt).html, "<p>中文");

    EXPECT_EQ(wk::preparePage("caf\xE9", std::string("iso-8859-1")).html, "café");
    EXPECT_EQ(wk::preparePage("<p>中文</p>", std::nullopt).charset, "utf-8");
    auto unknown = wk::preparePage("<p>中文</p>", std::string("x-no-such-charset"));
    EXPECT_EQ(unknown.charset, "utf-8");
    EXPECT_EQ(unknown.html, "<p>中文</p>");
    EXPECT_TRUE(logContains("unknown charset \"x-no-such-charset\""));
}

TEST_F(PageSource, BytesThatAreNoCharactersBecomeReplacementCharacters) {
    const std::string r = "\xEF\xBF\xBD";
    // GBK read as UTF-8, a NUL, a lone continuation byte, an overlong form and a cut-off character.
    EXPECT_EQ(wk::preparePage("<p>" + kGBK + "</p>", std::nullopt).html, "<p>" + r + r + r + r + "</p>");
    EXPECT_EQ(wk::preparePage(std::string("a\0b", 3), std::nullopt).html, "a" + r + "b");
    EXPECT_EQ(wk::preparePage("a\x80" "b\xC0\xAF" "c\xE4\xB8", std::nullopt).html, "a" + r + "b" + r + r + "c" + r + r);
    // In another charset too: a byte GBK has no character for, and a character cut off at the end.
    EXPECT_EQ(wk::preparePage("\xD6\xD0\xFF\xD6", std::string("gbk")).html, "中" + r + r);
}

TEST_F(PageSource, APageOverTheLimitIsCutAtACharacterWithALogLine) {
    const std::string piece = "汉字页面的文字。";
    std::string page = repeat(piece, 10 * 1024 * 1024 / piece.size() + 1); // over 10 MB
    auto source = wk::preparePage(page, std::nullopt);
    EXPECT_TRUE(source.cut);
    EXPECT_LE(source.html.size(), wk::PageLimits{}.maxBytes);
    EXPECT_GT(source.html.size(), wk::PageLimits{}.maxBytes - 4);
    EXPECT_TRUE(logContains("cut to")) << "the log says so";
    // Cut between characters: what is kept is the page's own beginning.
    EXPECT_EQ(page.compare(0, source.html.size(), source.html), 0);

    wk::PageLimits small;
    small.maxBytes = 10;
    EXPECT_EQ(wk::preparePage("中文中文", std::nullopt, small).html, "中文中") << "no half character at the end";
    EXPECT_EQ(wk::preparePage(kGBK + kGBK + kGBK + kGBK, std::string("gbk"), small).html, "中文中");
}

TEST_F(PageSource, ElementsNestedTooDeepAreLeftOutWithTheirEndTagsButTheirTextStays) {
    const size_t n = 100000;
    std::string page = repeat("<div>", n) + "深处的字" + repeat("</div>", n) + "<p>后面的字</p>";
    wk::PageLimits limits;
    limits.maxBytes = page.size(); // only the depth bites
    auto source = wk::preparePage(page, std::nullopt, limits);
    EXPECT_TRUE(source.cut);
    EXPECT_EQ(count(source.html, "<div>"), size_t(wk::PageLimits{}.maxDepth));
    EXPECT_EQ(count(source.html, "</div>"), size_t(wk::PageLimits{}.maxDepth)) << "only the kept elements are closed";
    EXPECT_NE(source.html.find("深处的字"), std::string::npos);
    EXPECT_NE(source.html.find("<p>后面的字</p>"), std::string::npos);
    EXPECT_TRUE(logContains("tags left out of the page"));

    // Unclosed elements never closed by the parser count too, even when end tags of others come.
    std::string stray = repeat("<div><table></div>", 1000);
    EXPECT_LE(count(wk::preparePage(stray, std::nullopt).html, "<table>") * 4, size_t(wk::PageLimits{}.maxDepth));
    EXPECT_LE(count(wk::preparePage(repeat("<span></b>", 1000), std::nullopt).html, "<span>"),
              size_t(wk::PageLimits{}.maxDepth));
}

TEST_F(PageSource, ElementsTheParserClosesItselfDoNotCountAsNested) {
    // Lists, paragraphs and tables written without end tags, as many pages are.
    std::string lists = "<ul>" + repeat("<li>一项", 1000) + "</ul>" + repeat("<p>一段", 1000) + "<table>" +
                        repeat("<tr><td>格<td>格", 1000) + "</table><dl>" + repeat("<dt>词<dd>义", 1000) + "</dl>";
    auto source = wk::preparePage(lists, std::nullopt);
    EXPECT_FALSE(source.cut);
    EXPECT_EQ(source.html, lists);
    // Void elements, self-closing foreign elements and script text hold nothing open either.
    std::string flat = repeat("<br><img src=a.png><input>", 1000) + "<svg>" + repeat("<rect/>", 1000) + "</svg>" +
                       "<script>" + repeat("<div>", 1000) + "</script>" + "<style>" + repeat("<p>", 1000) + "</style>";
    EXPECT_EQ(wk::preparePage(flat, std::nullopt).html, flat);
}

TEST_F(PageSource, StartTagsPastTheCountAreLeftOut) {
    auto source = wk::preparePage(repeat("<br>字", 30000), std::nullopt);
    EXPECT_TRUE(source.cut);
    EXPECT_EQ(count(source.html, "<br>"), wk::PageLimits{}.maxElements);
    EXPECT_EQ(count(source.html, "字"), 30000u);
}

TEST_F(PageSource, WhatALeftOutTagWouldHaveClosedStaysOpen) {
    wk::PageLimits limits;
    limits.maxDepth = 2;
    // The table would close the paragraph, but it is left out: the parser still has the paragraph
    // open, so the span would be a third level.
    EXPECT_EQ(wk::preparePage("<div><p>a<table>b<span>c</span>", std::nullopt, limits).html, "<div><p>abc");
    EXPECT_EQ(wk::preparePage("<div><p>a<p>b", std::nullopt, limits).html, "<div><p>a<p>b") << "a kept tag closes it";
}

TEST_F(PageSource, ALeftOutScriptDoesNotShowItsText) {
    wk::PageLimits limits;
    limits.maxDepth = 2;
    auto source = wk::preparePage("<div><div><script>secret()</script><style>p{}</style>shown</div></div>", std::nullopt, limits);
    EXPECT_EQ(source.html, "<div><div>shown</div></div>");
}

TEST_F(PageSource, ColumnSpansAreNarrowed) {
    auto source = wk::preparePage("<table><tr><td colspan=\"100000000\">a<td colspan=99>b<th class=x colspan=0000200 >c", std::nullopt);
    EXPECT_EQ(source.html, "<table><tr><td colspan=\"100\">a<td colspan=99>b<th class=x colspan=100 >c");
    EXPECT_TRUE(logContains("2 column spans above 100 narrowed"));
}

} // namespace
