// Pages laid out at a width and drawn: text through the labels' fonts, wrapping, boxes, lists,
// tables and links where a reader finds them.
#include "PageTestSupport.h"

namespace {

using namespace webtest;
using PageLayout = vx::test::Environment;

const char* kSample = R"(<!DOCTYPE html><html><head><meta charset="utf-8"><title>样例</title>
<style>
body { margin: 0; padding: 12px; font-size: 15px; color: #333; }
h1 { font-size: 20px; color: #111; text-align: center; }
.card { border: 2px solid #6036E7; border-radius: 10px; padding: 8px; background: #F3F0FF; }
table { border-collapse: collapse; width: 100%; }
td, th { border: 1px solid #ccc; padding: 4px; }
</style></head><body>
<h1>用户协议</h1>
<p>欢迎使用本平台。注册或登录即表示您同意本协议的全部条款，请仔细阅读。Latin words wrap too.</p>
<ol><li>第一条：账号安全。</li><li>第二条：充值与退款。</li></ol>
<ul><li>圆点列表</li></ul>
<div class="card">卡片内容 <a href="next.html">下一页</a></div>
<table><tr><th>等级</th><th>条件</th></tr><tr><td>VIP1</td><td>累计充值100元</td></tr></table>
</body></html>)";

TEST_F(PageLayout, SamplePageLooksRight) {
    auto page = pageOf(kSample);
    Drawing drawing(*page, {375, 667}, 2);
    drawing.keep("web-sample");
    EXPECT_EQ(page->title(), "样例");
}

} // namespace
