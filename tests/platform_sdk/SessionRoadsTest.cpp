// The session a login opens rides on the process's one cookie jar: both platform transports and
// the web views send it to the platform's host, and a logout ends it.
#include "os/foundation/URL.h"
#include "os/net/URLRequest.h"
#include "os/uikit/WebView.h"
#include "platform_sdk/CXRSdpNetTool.h"
#include "platform_sdk/VXLoginAPI.h"
#include "tests/platform_sdk/PlatformFixture.h"
#include "tests/support/HttpTestServer.h"

namespace {

using ns::Value;
using vx::test::HttpTestServer;

class SessionRoads : public vx::test::PlatformTest {
protected:
    // A request through the scrambled transport; its reply.
    Value scrambled(const std::string& path, const ns::Dictionary& params) {
        std::optional<Value> reply;
        NetWorkManager::sharedInstance()->PostCouponURL(
            path, params, [&](const Value& r) { reply = r; }, [&](const ns::Ref<ns::Error>&) { reply = Value("failed"); });
        EXPECT_TRUE(runMainUntil([&] { return reply.has_value(); }));
        return reply.value_or(Value());
    }
    // A request through the form transport; its reply.
    Value plain(const std::string& path, const ns::Dictionary& params) {
        std::optional<Value> reply;
        CXRSdpNetTool::sharedTool()->PostWithURLString(
            path, params, [&](const Value& r) { reply = r; }, [&](const ns::Ref<ns::Error>&) { reply = Value("failed"); });
        EXPECT_TRUE(runMainUntil([&] { return reply.has_value(); }));
        return reply.value_or(Value());
    }
};

TEST_F(SessionRoads, BothTransportsAndWebViewsCarryTheLoginsSessionUntilLogout) {
    // Before any login the platform answers neither road for the player.
    EXPECT_EQ(scrambled("Ttbpay/getTTB", {{"b", "player01"}})["c"], Value("请先登录"));
    ASSERT_NO_FATAL_FAILURE(signIn("player01"));

    EXPECT_EQ(scrambled("Ttbpay/getTTB", {{"b", "player01"}})["b"], Value("500"));
    EXPECT_EQ(server.requests("Ttbpay/getTTB").back().account, "player01");
    Value coupons = plain("Sdkhome/mycoupon", {{"username", "player01"}, {"status", "0"}, {"pagecode", 1}});
    EXPECT_EQ(coupons["lists"].count(), 2u);
    EXPECT_EQ(server.requests("Sdkhome/mycoupon").back().account, "player01");

    // A web view's page on the platform's host (cookies go by host, whatever the port).
    HttpTestServer pages;
    std::string cookie = "(none)";
    pages.on("/page", [&](const HttpTestServer::Request& r) {
        cookie = r.header("Cookie");
        return HttpTestServer::Reply::text(200, "<html><body>page</body></html>", "text/html");
    });
    auto web = ui::View::create<ui::WebView>(cg::RectMake(0, 0, 320, 480));
    web->setLoadMode(ui::WebView::LoadMode::Fetch);
    web->loadRequest(ns::URLRequest::requestWithURL(ns::URL::fromString(pages.url("/page"))));
    ASSERT_TRUE(runMainUntil([&] { return cookie != "(none)"; }));
    EXPECT_NE(cookie.find("vx_session="), std::string::npos) << cookie;

    // Logout ends the session the cookie names: the same requests are refused from then on.
    exchange("login/logout", [] { VXLoginAPI::LonginOutSendToService(); });
    EXPECT_EQ(server.requests("login/logout").back().account, "player01");
    EXPECT_EQ(scrambled("Ttbpay/getTTB", {{"b", "player01"}})["c"], Value("请先登录"));
    EXPECT_EQ(plain("Sdkhome/mycoupon", {{"username", "player01"}, {"status", "0"}, {"pagecode", 1}})["b"],
              Value("请先登录"));
    EXPECT_EQ(server.requests("Ttbpay/getTTB").back().account, "");
}

} // namespace
