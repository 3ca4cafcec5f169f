// The stand-in's web pages and pictures as a web view gets them: pages with their content, the
// heads and badges of the comment rows as real pictures, and text from outside escaped.
#include "os/foundation/Data.h"
#include "os/imageio/ImageSource.h"
#include "server/WebPages.h"
#include "tests/server/ServerFixture.h"

using namespace servertest;

namespace {

using WebPages = ServerTest;

TEST_F(WebPages, TheCommentPicturesAreServedAsPictures) {
    struct Picture {
        const char* path;
        long width, height;
    };
    for (const Picture& p : {Picture{"/pic/avatar.png", 80, 80}, Picture{"/pic/vip.png", 100, 32}, Picture{"/pic/paid.png", 100, 32}}) {
        SCOPED_TRACE(p.path);
        auto reply = fetch(p.path);
        ASSERT_TRUE(reply);
        EXPECT_EQ(reply->status, 200);
        EXPECT_EQ(reply->get_header_value("Content-Type"), "image/png");
        auto source = imageio::ImageSource::CreateWithData(ns::Data::fromString(reply->body));
        auto image = source ? source->CreateImageAtIndex(0) : nullptr;
        ASSERT_TRUE(image);
        EXPECT_EQ(long(image->width()), p.width);
        EXPECT_EQ(long(image->height()), p.height);
    }
}

TEST_F(WebPages, PagesCarryTheirContent) {
    auto agreement = fetch("/sdkapicoupon2/Agreement/xieyi");
    ASSERT_TRUE(agreement);
    EXPECT_EQ(agreement->get_header_value("Content-Type"), "text/html; charset=utf-8");
    for (const char* piece : {"<title>用户协议</title>", "<h2>一、协议的接受</h2>", "<ol><li>"})
        EXPECT_NE(agreement->body.find(piece), std::string::npos) << piece;
    EXPECT_NE(fetch("/sdkapicoupon2/Agreement/Information2")->body.find("<th>单次上限</th>"), std::string::npos);

    std::string tasks = vx::server::pages::tasks(true, "/sdkapicoupon2/Agreement/rwlog");
    for (const char* piece : {"href=\"vorlix://rw\"", "href=\"/sdkapicoupon2/Agreement/rwlog\"", "+50 平台币"})
        EXPECT_NE(tasks.find(piece), std::string::npos) << piece;
    std::string refused = vx::server::pages::tasks(false, "x");
    EXPECT_NE(refused.find("链接已失效"), std::string::npos);
    EXPECT_EQ(refused.find("+50 平台币"), std::string::npos) << "no tasks behind a bad sign";
}

TEST_F(WebPages, TextFromOutsideIsEscaped) {
    std::string cashier = vx::server::pages::cashier(7, "<script>alert(1)</script>&", "6.66\"", "http://pay.test/confirm?order=7", false);
    EXPECT_EQ(cashier.find("<script>"), std::string::npos);
    EXPECT_NE(cashier.find("&lt;script&gt;alert(1)&lt;/script&gt;&amp;"), std::string::npos);
    EXPECT_NE(cashier.find("6.66&quot;"), std::string::npos);
    EXPECT_NE(cashier.find("href=\"http://pay.test/confirm?order=7\">确认支付</a>"), std::string::npos);
    std::string message = vx::server::pages::message("<b>标题</b>", "2024", "a & b");
    EXPECT_EQ(message.find("<b>标题</b>"), std::string::npos);
    EXPECT_NE(message.find("a &amp; b"), std::string::npos);
}

} // namespace
