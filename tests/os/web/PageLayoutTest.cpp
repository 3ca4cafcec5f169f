// Pages laid out at a width and drawn: text through the labels' fonts, wrapping, boxes, lists,
// tables and links where a reader finds them.
#include "PageTestSupport.h"
#include "tests/support/GoldenCompare.h"

namespace {

using namespace webtest;
using PageLayout = vx::test::Environment;

const char* kSample = R"(<!DOCTYPE html><html><head><meta charset="utf-8"><title>样例</title>
<style>
body { margin: 0; padding: 12px; font-size: 15px; color: #333; }
h1 { font-size: 20px; color: #111; text-align: center; }
.card { border: 2px solid #6036E7; border-radius: 10px; padding: 8px; background: #F3F0FF; margin-bottom: 8px; }
.dash { border: 3px dashed #FF6A00; padding: 4px; margin-bottom: 8px; }
table { border-collapse: collapse; width: 100%; }
td, th { border: 1px solid #ccc; padding: 4px; }
</style></head><body>
<h1>用户协议</h1>
<p>欢迎使用本平台。注册或登录即表示您同意本协议的全部条款，请仔细阅读。Latin words wrap too.</p>
<ol><li>第一条：账号安全。</li><li>第二条：<b>充值</b>与<i>退款</i>。</li></ol>
<ul><li>圆点列表<ul><li>空心圆点</li></ul></li></ul>
<div class="card">卡片内容 <a href="next.html">下一页</a> <s>划掉</s></div>
<div class="dash">虚线边框</div>
<table><tr><th>等级</th><th>条件</th></tr><tr><td>VIP1</td><td>累计充值100元</td></tr></table>
</body></html>)";

TEST_F(PageLayout, ASamplePageDrawsAsItsPicture) {
    auto page = pageOf(kSample);
    Drawing drawing(*page, {375, 667}, 2);
    drawing.keep("page-sample");
    std::string shot = sandboxPath() + "/page-sample.png";
    ASSERT_TRUE(drawing.write(shot));
    EXPECT_TRUE(vx::test::matchesGoldenFile(shot, VX_GOLDEN_DIR "/page-sample.png"));
    EXPECT_EQ(page->title(), "样例");
    EXPECT_EQ(page->charset(), "utf-8");
}

// 40 characters of the system font at 16 px: 16 points each, 23 points a line (as a label's).
std::string paragraph(const std::string& text) {
    return "<body style=\"margin:0;font-size:16px\"><p style=\"margin:0\">" + text + "</p></body>";
}

TEST_F(PageLayout, TextWrapsAtTheWidthInWholeLines) {
    std::string forty;
    for (int i = 0; i < 40; ++i) forty += "字";
    auto page = pageOf(paragraph(forty));
    EXPECT_EQ(page->layout({320, 480}), (cg::Size{320, 2 * 23}));
    EXPECT_EQ(page->layout({160, 480}), (cg::Size{160, 4 * 23}));
    EXPECT_EQ(page->layout({80, 480}), (cg::Size{80, 8 * 23}));
    EXPECT_EQ(page->contentSize(), (cg::Size{80, 8 * 23}));
    // A word wider than the view makes the content wider.
    EXPECT_EQ(pageOf(paragraph("Supercalifragilistic"))->layout({40, 100}).height, 23);
    EXPECT_GT(pageOf(paragraph("Supercalifragilistic"))->layout({40, 100}).width, 40);
}

TEST_F(PageLayout, ClosingPunctuationNeverStartsALine) {
    // Ten characters fill a line of 160 points; the comma after the tenth takes it to the next line.
    std::string text;
    for (int i = 0; i < 10; ++i) text += "字";
    auto page = pageOf(paragraph("<a href=\"x\">" + text + "，后</a>"));
    page->layout({160, 480});
    auto links = page->links();
    ASSERT_EQ(links.size(), 1u);
    ASSERT_EQ(links[0].boxes.size(), 11u) << "nine characters, the tenth with its comma, and one more";
    EXPECT_EQ(links[0].boxes[8].origin.y, links[0].boxes[0].origin.y);
    EXPECT_GT(links[0].boxes[9].origin.y, links[0].boxes[0].origin.y) << "the tenth went down with its comma";
    EXPECT_EQ(links[0].boxes[9].size.width, 32);
    EXPECT_EQ(links[0].boxes[9].origin.x, 0);
}

TEST_F(PageLayout, TheLayoutIsRedoneOnlyWhenTheViewportChanges) {
    auto page = pageOf(paragraph("正文"));
    EXPECT_TRUE(page->needsLayout({320, 480}));
    page->layout({320, 480});
    EXPECT_FALSE(page->needsLayout({320, 480}));
    EXPECT_TRUE(page->needsLayout({375, 480}));
    EXPECT_TRUE(page->needsLayout({320, 500})) << "the viewport's height sets vh units and fixed boxes";
}

TEST_F(PageLayout, BoxesHaveTheirColoursBordersAndRoundCorners) {
    auto page = pageOf("<body style=\"margin:0;padding-top:10px\"><div style=\"margin:0 10px;width:100px;height:60px;"
                       "background:#ff0000;border:4px solid #0000ff;border-radius:20px\"></div>"
                       "<div style=\"margin:10px;width:100px;height:20px;border-top:6px solid #00ff00;"
                       "border-left:6px dashed #0000ff\"></div></body>");
    Drawing drawing(*page, {200, 200});
    auto red = drawing.at(64, 44), blue = drawing.at(12, 44), corner = drawing.at(11, 11), green = drawing.at(50, 90);
    EXPECT_TRUE(red.r > 240 && red.g < 20 && red.b < 20);
    EXPECT_TRUE(blue.b > 240 && blue.r < 20 && blue.g < 20) << blue.r << " " << blue.g << " " << blue.b;
    EXPECT_TRUE(corner.r > 240 && corner.g > 240 && corner.b > 240) << "outside the round corner";
    EXPECT_TRUE(green.g > 240 && green.r < 20) << "a border on one side only";
    EXPECT_FALSE(drawing.inked(0, 120, 200, 200)) << "nothing below the boxes";
}

TEST_F(PageLayout, ListsHaveMarkersAndTableCellsSitSideBySide) {
    auto page = pageOf("<body style=\"margin:0;font-size:16px\"><ul style=\"margin:0;padding-left:40px\"><li>项</li></ul>"
                       "<table style=\"border-spacing:0\"><tr><td style=\"width:100px;padding:0\"><a href=l>左</a></td>"
                       "<td style=\"padding:0\"><a href=r>右</a></td></tr></table></body>");
    Drawing drawing(*page, {320, 100});
    EXPECT_TRUE(drawing.inked(20, 0, 40, 23)) << "the disc before the item";
    EXPECT_FALSE(drawing.inked(0, 0, 20, 23));
    auto links = page->links();
    ASSERT_EQ(links.size(), 2u);
    ASSERT_FALSE(links[0].boxes.empty());
    ASSERT_FALSE(links[1].boxes.empty());
    EXPECT_EQ(links[0].boxes[0].origin.x, 0);
    EXPECT_EQ(links[1].boxes[0].origin.x, 100);
    EXPECT_EQ(links[1].boxes[0].origin.y, links[0].boxes[0].origin.y);
    EXPECT_EQ(links[0].boxes[0].origin.y, 23) << "below the list's line";
}

TEST_F(PageLayout, LinksAreFoundWhereTheyAreDrawnWithAbsoluteAddresses) {
    auto page = pageOf("<body style=\"margin:0\"><p><a href=\"next.html\">下一页</a></p><p><a href=\" /top \">顶部</a></p>"
                       "<p><a href=\"vorlix://rw\">盒子</a></p><p><a href=\"javascript:void(0)\">脚本</a></p>"
                       "<p><a name=\"here\">锚点</a></p><p><a href=\"in.html\"><b>粗体</b>的链接</a></p></body>");
    page->layout({320, 480});
    auto links = page->links();
    ASSERT_EQ(links.size(), 5u) << "an anchor without an address is no link";
    EXPECT_EQ(links[0].text, "下一页");
    EXPECT_EQ(links[0].url->absoluteString(), "http://pages.test/dir/next.html");
    EXPECT_EQ(links[1].url->absoluteString(), "http://pages.test/top");
    EXPECT_EQ(links[2].url->absoluteString(), "vorlix://rw");
    EXPECT_EQ(links[4].text, "粗体的链接");
    auto centre = [](const cg::Rect& r) { return cg::Point{cg::RectGetMidX(r), cg::RectGetMidY(r)}; };
    for (size_t i : {0, 1, 2})
        EXPECT_EQ(page->linkAt(centre(links[i].boxes[0]))->absoluteString(), links[i].url->absoluteString());
    EXPECT_FALSE(page->linkAt(centre(links[3].boxes[0]))) << "no scripts";
    EXPECT_EQ(page->linkAt(centre(links[4].boxes[0]))->absoluteString(), "http://pages.test/dir/in.html")
        << "a word inside the link";
    EXPECT_FALSE(page->linkAt({300, 10})) << "beside the link";
    EXPECT_FALSE(page->linkAt({10, 470})) << "below the page's text";

    auto based = pageOf("<head><base href=\"http://cdn.test/base/\"></head><body><a href=\"x.html\">x</a></body>");
    based->layout({320, 480});
    ASSERT_EQ(based->links().size(), 1u);
    EXPECT_EQ(based->links()[0].url->absoluteString(), "http://cdn.test/base/x.html");
}

TEST_F(PageLayout, TheTextAndTitleAreWhatTheReaderSees) {
    auto page = pageOf("<html><head><title>标题</title><style>p { color: red }</style></head>"
                       "<body><p>第一   段\n落</p><p>second <b>line</b></p></body></html>");
    EXPECT_EQ(page->title(), "标题");
    EXPECT_EQ(page->text(), "第一 段 落 second line");
    auto empty = wk::Page::make(nullptr, std::nullopt, nullptr);
    EXPECT_EQ(empty->url()->absoluteString(), "about:blank");
    EXPECT_EQ(empty->text(), "");
    EXPECT_EQ(empty->layout({320, 480}).width, 320);
    EXPECT_FALSE(Drawing(*empty, {320, 480}).inked(0, 0, 320, 480));
}

} // namespace
