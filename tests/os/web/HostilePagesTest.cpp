// Pages no one should write: broken markup, pages too long or too deep, nonsense numbers in styles,
// bytes that are no text, and pages full of huge or broken pictures. Each is read, laid out and
// drawn without a crash, within the bounds, and what text it has still shows.
#include "PageTestSupport.h"
#include "tests/support/HttpTestServer.h"

#include <glib.h>

#include <random>

namespace {

using namespace webtest;
using HostilePages = PageTest;

// Read, laid out at a phone's width and drawn at 2x, top and bottom.
void readAndDraw(const wk::PageRef& page) {
    cg::Size size = page->layout({375, 667});
    Drawing top(*page, {375, 667}, 2);
    Drawing bottom(*page, {375, 667}, 2, std::max(0.0, size.height - 667));
    EXPECT_GE(size.width, 375);
    EXPECT_GE(size.height, 0);
}

TEST_F(HostilePages, BrokenMarkupStillShowsItsText) {
    const char* pages[] = {
        "<div><span><p>未闭合的标签",
        "<table><td>格<tr><div>块</table>之后",
        "</p></div></html></body>结束标签在前",
        "<a href=\"x\">一<a href=\"y\">二</a>",
        "<<<>>> <p <div < / > 尖括号",
        "<!-- 没有结束的注释",
        "<script>没有结束的脚本",
        "<style>p { color: red 没有结束的样式",
        "<p style=\"width:99999999999px;height:-5px;margin:-1e30px;padding:1e12px\">极端尺寸</p>",
        "<p style=\"font-size:99999px;line-height:-3\">巨大字号</p><p style=\"font-size:-4px\">负字号</p>",
        "<img width=2147483647 height=-1 src=\"\"><img width=99999999999999999999>图片尺寸",
        "<table><tr><td colspan=0 rowspan=-5>零跨度</td><td colspan=2147483648>大跨度</td></tr></table>",
        "<div style=\"border:1e20px solid red;border-radius:1e20px;background:url()\">边框</div>",
        "<div style=\"position:fixed;top:-1e9px;left:1e9px\">定位</div><div style=\"float:left;width:-10px\">浮动</div>",
        "<style>@media (min-width:) { p { color: } } :nth-child(-n+3) { } p::after { content: \"后\" } * { display: table-cell }</style><p>奇怪的样式</p>",
        "<ul><li><ol><li><dl><dt><dd><table><caption><tbody><tr><th>混乱的嵌套</table></dl></ol></ul>",
        "<svg><foreignObject><p>外来内容</p></foreignObject></svg><math><mi>x</mi></math>",
        "<body><body><html><head><title>双重</title></head><frameset><frame>框架</frameset>",
        "<select><option>选<option>项</select><textarea><p>文本域</textarea><button>按钮</button>",
        "<p style=\"white-space:pre\">\t\t制表\n\n换行\r\n</p><pre>预格式\u00a0文字</pre>",
    };
    for (const char* html : pages) {
        SCOPED_TRACE(html);
        auto page = pageOf(html);
        readAndDraw(page);
        (void)page->text();
        (void)page->links();
        (void)page->linkAt({10, 10});
    }
    EXPECT_NE(pageOf(pages[0])->text().find("未闭合的标签"), std::string::npos);
    EXPECT_NE(pageOf(pages[1])->text().find("之后"), std::string::npos);
    EXPECT_NE(pageOf(pages[8])->text().find("极端尺寸"), std::string::npos);
}

TEST_F(HostilePages, ATenMegabytePageIsCutAndStillReads) {
    std::string page = "<html><body>" + repeat("<p>第一章 开始的故事。The story begins here, again and again.</p>", 150000);
    ASSERT_GT(page.size(), 10u * 1024 * 1024);
    auto made = pageOf(page);
    EXPECT_TRUE(made->wasCut());
    EXPECT_TRUE(logContains("cut to"));
    readAndDraw(made);
    EXPECT_GT(made->contentSize().height, 667 * 10);
}

TEST_F(HostilePages, AHundredThousandNestedElementsAreLeftOutBelowTheDepth) {
    for (const char* tag : {"div", "table"}) {
        SCOPED_TRACE(tag);
        std::string open = std::string("<") + tag + ">", close = std::string("</") + tag + ">";
        std::string html = repeat(open, 100000) + "最深处" + repeat(close, 100000) + "<p>之后</p>";
        wk::PageLimits limits;
        limits.maxBytes = html.size(); // the depth, not the length, is what bites
        auto page = wk::Page::make(ns::Data::fromString(html), std::nullopt, ns::URL::fromString("http://pages.test/"), limits);
        EXPECT_TRUE(page->wasCut());
        readAndDraw(page);
        EXPECT_NE(page->text().find("最深处"), std::string::npos);
        EXPECT_NE(page->text().find("之后"), std::string::npos);
    }
    // Tables in tables, of tags or of styles (the engine's work doubles with every level).
    for (const char* level : {"<table><tr><td>", "<div style=\"display:table\">", "<li style=\"display:table-cell\">",
                              "<span><table><td>"}) {
        SCOPED_TRACE(level);
        auto tables = pageOf(repeat(level, 40) + "最里面");
        readAndDraw(tables);
    }
    // Unclosed and never closed: the tail of a long page.
    auto unclosed = pageOf(repeat("<div><table><td><span>", 5000) + "尾");
    readAndDraw(unclosed);
    EXPECT_TRUE(logContains("tags left out of the page"));
}

TEST_F(HostilePages, BytesThatAreNoTextReadAsReplacementCharacters) {
    std::mt19937 random(20261207);
    std::string bytes(32 * 1024, '\0');
    for (char& b : bytes) b = static_cast<char>(random());
    for (const std::optional<std::string>& charset :
         {std::optional<std::string>(), std::optional<std::string>("gbk"), std::optional<std::string>("utf-16le")}) {
        SCOPED_TRACE(charset.value_or("none"));
        auto page = wk::Page::make(ns::Data::fromString(bytes), charset, ns::URL::fromString("http://pages.test/"));
        readAndDraw(page);
        std::string text = page->text();
        EXPECT_TRUE(g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr));
    }
}

TEST_F(HostilePages, APageOfHugeAndBrokenPicturesStaysWithinItsBounds) {
    vx::test::HttpTestServer server;
    // Headers claiming a picture of 8000 x 8000 pixels each, bytes that are no picture, and errors.
    std::string huge = pngClaiming(8000, 8000);
    server.on("/huge", [&](const vx::test::HttpTestServer::Request&) {
        return vx::test::HttpTestServer::Reply::text(200, huge, "image/png");
    });
    server.on("/broken", vx::test::HttpTestServer::Reply::text(200, "\x89PNG\r\n\x1a\nbroken", "image/png"));
    std::string html;
    for (int i = 0; i < 300; ++i)
        html += "<img src=\"/" + std::string(i % 3 == 0 ? "huge" : i % 3 == 1 ? "broken" : "missing") + "?n=" +
                std::to_string(i) + "\" width=\"100\" height=\"100\">";
    auto page = wk::Page::make(ns::Data::fromString(html), std::nullopt, ns::URL::fromString(server.url("/page")));
    ASSERT_TRUE(picturesSettled(page));
    EXPECT_EQ(server.requests().size(), wk::PictureLimits{}.maxPictures);
    EXPECT_TRUE(logContains("not decoded"));
    readAndDraw(page);
}

} // namespace
