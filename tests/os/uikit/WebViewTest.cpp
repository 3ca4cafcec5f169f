#include "UIKitTestSupport.h"

#include "os/foundation/Strings.h"
#include "os/uikit/WebView.h"
#include "tests/support/HttpTestServer.h"

using namespace uitest;

namespace {

std::string text(const ns::DataRef& data) {
    return data ? std::string(reinterpret_cast<const char*>(data->bytes()), data->length()) : "(none)";
}

// Logs every call; refuses the box-app link wherever it appears.
class Pages : public ui::WebViewDelegate {
public:
    Log log = makeLog();
    bool refuseAll = false;

    bool shouldStartLoad(const ui::WebViewRef&, const ns::Ref<ns::URLRequest>& request,
                         ui::WebViewNavigationType type) override {
        const std::string& url = request->url()->absoluteString();
        log->push_back("ask " + url + " " + std::to_string(static_cast<int>(type)));
        return !refuseAll && !ns::str::contains(url, "vorlix://rw");
    }
    void didStartLoad(const ui::WebViewRef&) override { log->push_back("start"); }
    void didFinishLoad(const ui::WebViewRef& web) override {
        log->push_back("finish " + web->request()->url()->absoluteString());
    }
    void didFailLoad(const ui::WebViewRef&, const ns::Ref<ns::Error>& error) override {
        log->push_back("fail " + std::to_string(error->code()));
    }
};

class WebViewTest : public UIKitTest {
protected:
    ui::WebViewRef makeWeb() {
        auto web = ui::View::create<ui::WebView>(cg::RectMake(0, 0, 320, 480));
        web->setDelegate(pages);
        return web;
    }
    static ns::Ref<ns::URLRequest> requestFor(const std::string& url) {
        return ns::URLRequest::requestWithURL(ns::URL::fromString(url));
    }

    std::shared_ptr<Pages> pages = std::make_shared<Pages>();
};

TEST_F(WebViewTest, LoadsMadeInCodeAskTheDelegateFirstAndAreRecordedAsSent) {
    auto web = makeWeb();

    web->loadRequest(requestFor("http://pay.example/a b"));
    EXPECT_EQ(take(pages->log), "") << "a request whose URL does not parse loads nothing";
    EXPECT_FALSE(web->isLoading());

    web->loadRequest(requestFor("https://pay.example/h5?back=vorlix://rw"));
    EXPECT_EQ(take(pages->log), "ask https://pay.example/h5?back=vorlix://rw 5");
    EXPECT_FALSE(web->isLoading());
    EXPECT_TRUE(web->loadedRequests().empty());

    auto request = ns::URLRequest::requestWithURL(ns::URL::fromString("https://pay.example/h5"),
                                                  ns::URLRequestCachePolicy::UseProtocolCachePolicy, 60);
    request->setHTTPMethod("GET");
    request->setValue("vorlix.example://", "Referer");
    web->loadRequest(request);
    request->setValue("changed", "Referer");
    EXPECT_EQ(take(pages->log), "ask https://pay.example/h5 5 start");
    EXPECT_TRUE(web->isLoading());
    auto sent = ui::driver::lastRequest(web);
    EXPECT_EQ(sent->valueForHTTPHeaderField("referer"), "vorlix.example://") << "recorded as it was sent";
    EXPECT_EQ(sent->timeoutInterval(), 60);
    EXPECT_EQ(sent->cachePolicy(), ns::URLRequestCachePolicy::UseProtocolCachePolicy);
    EXPECT_EQ(sent->httpMethod(), "GET");

    // A new load cancels the running one.
    web->loadRequest(requestFor("https://pay.example/other"));
    EXPECT_EQ(take(pages->log), "ask https://pay.example/other 5 fail -999 start");
    ui::driver::finishLoad(web);
    EXPECT_EQ(take(pages->log), "finish https://pay.example/other");
    EXPECT_THROW(ui::driver::finishLoad(web), ui::driver::Failure);

    web->loadHTMLString("<p>notice</p>", nullptr);
    ui::driver::finishLoad(web);
    EXPECT_EQ(take(pages->log), "ask about:blank 5 start finish about:blank");
    EXPECT_EQ(text(web->pageData()), "<p>notice</p>");
}

TEST_F(WebViewTest, HistoryMovesOnFinishedLoadsAndAsksForBackAndForward) {
    auto web = makeWeb();
    for (const char* page : {"https://h5.example/a", "https://h5.example/b", "https://h5.example/c"}) {
        ASSERT_TRUE(ui::driver::navigate(web, page));
        ui::driver::finishLoad(web);
    }
    take(pages->log);
    EXPECT_TRUE(web->canGoBack());
    EXPECT_FALSE(web->canGoForward());

    web->goBack();
    EXPECT_TRUE(web->canGoBack()) << "the list moves only when the page has loaded";
    EXPECT_EQ(web->backForwardIndex(), 2);
    ui::driver::finishLoad(web);
    EXPECT_EQ(take(pages->log), "ask https://h5.example/b 2 start finish https://h5.example/b");
    EXPECT_TRUE(web->canGoForward());

    // A failed load leaves the list alone; a new page drops the pages ahead.
    ui::driver::navigate(web, "https://h5.example/broken");
    ui::driver::failLoad(web);
    EXPECT_EQ(web->backForwardIndex(), 1);
    ui::driver::navigate(web, "https://h5.example/d");
    ui::driver::finishLoad(web);
    ASSERT_EQ(web->backForwardList().size(), 3u);
    EXPECT_EQ(web->backForwardList().back()->url()->absoluteString(), "https://h5.example/d");
    EXPECT_FALSE(web->canGoForward());
    take(pages->log);

    pages->refuseAll = true;
    web->goBack();
    web->reload();
    EXPECT_EQ(take(pages->log), "ask https://h5.example/b 2 ask https://h5.example/d 3");
    EXPECT_FALSE(web->isLoading());
    EXPECT_FALSE(ui::driver::navigate(web, "https://h5.example/e"));
}

TEST_F(WebViewTest, FetchModeLoadsPagesOverTheNetwork) {
    vx::test::HttpTestServer server;
    server.on("/page", vx::test::HttpTestServer::Reply::text(200, "<html>hi</html>", "text/html"));
    auto web = makeWeb();
    web->setLoadMode(ui::WebView::LoadMode::Fetch);
    auto request = requestFor(server.url("/page"));
    request->setValue("vorlix.example://", "Referer");
    web->loadRequest(request);
    ASSERT_TRUE(runMainUntil([&] { return !web->isLoading(); }));
    EXPECT_EQ(take(pages->log), "ask " + server.url("/page") + " 5 start finish " + server.url("/page"));
    EXPECT_EQ(text(web->pageData()), "<html>hi</html>");
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0].header("Referer"), "vorlix.example://");

    web->loadRequest(requestFor("http://127.0.0.1:1/closed"));
    ASSERT_TRUE(runMainUntil([&] { return !web->isLoading(); }));
    EXPECT_EQ(take(pages->log), "ask http://127.0.0.1:1/closed 5 start fail -1004");
    EXPECT_EQ(web->request()->url()->absoluteString(), server.url("/page")) << "the failed page left no trace";
}

} // namespace
