#include "UIKitTestSupport.h"

#include "os/foundation/Strings.h"
#include "os/uikit/WebView.h"
#include "os/uikit/NavigationController.h"
#include "os/uikit/ViewRendering.h"
#include "tests/support/HttpTestServer.h"
#include "tests/support/ImageBytes.h"

using namespace uitest;

namespace {

const char* kGBK = "\xD6\xD0\xCE\xC4"; // 中文 in GBK

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

// --- The page drawn ---

// Lines of text, then a red block.
std::string paragraphs(int count) {
    std::string html;
    for (int i = 0; i < count; ++i) html += "<p style=\"margin:0\">第" + std::to_string(i) + "段文字</p>";
    return html + "<div style=\"height:40px;background:#ff0000\"></div>";
}
std::string longPage(int count) { return "<body style=\"margin:0;font-size:16px\">" + paragraphs(count) + "</body>"; }

bool redAt(const ui::ImageRef& shot, double x, double y) {
    auto p = pixel(shot, static_cast<size_t>(x * shot->scale()), static_cast<size_t>(y * shot->scale()));
    return p[0] > 240 && p[1] < 20 && p[2] < 20;
}

class WebPageViewTest : public WebViewTest {
protected:
    // A web view of 320 x 480 points in a shown window, with the delegate logging.
    ui::WebViewRef shownWeb() {
        auto root = ui::ViewController::create();
        window = showWindow(root);
        auto web = makeWeb();
        root->view()->addSubview(web);
        return web;
    }
    ui::ImageRef shot() { return ui::renderView(window, 1); }
    ui::WindowRef window;
};

TEST_F(WebPageViewTest, AFinishedPageIsLaidOutAtTheViewsWidthDrawnAndScrolled) {
    auto web = shownWeb();
    EXPECT_FALSE(web->page());
    web->loadHTMLString(longPage(40), ns::URL::fromString("http://h5.example/list.html"));
    ui::driver::finishLoad(web);
    auto page = web->page();
    ASSERT_TRUE(page);
    EXPECT_EQ(page->url()->absoluteString(), "http://h5.example/list.html");
    auto scroll = web->scrollView();
    EXPECT_EQ(scroll->contentSize(), (cg::Size{320, 40 * 23 + 40}));
    // The status bar covers the window's top: the page starts below it.
    EXPECT_EQ(scroll->contentInset().top, window->safeAreaInsets().top);
    EXPECT_EQ(scroll->contentOffset(), (cg::Point{0, -window->safeAreaInsets().top}));
    EXPECT_NE(page->text().find("第39段文字"), std::string::npos);

    auto top = shot();
    bool inked = false;
    for (size_t x = 0; x < 40 && !inked; ++x) {
        auto ink = pixel(top, x, static_cast<size_t>(window->safeAreaInsets().top + 12));
        inked = ink[0] + ink[1] + ink[2] < 3 * 128;
    }
    EXPECT_TRUE(inked) << "the first line's text is drawn";
    EXPECT_FALSE(redAt(top, 100, 470)) << "the end of the page is below the view";

    ui::driver::scrollToEnd(scroll);
    EXPECT_EQ(scroll->contentOffset().y, 40 * 23 + 40 - 480 + scroll->contentInset().bottom);
    EXPECT_TRUE(redAt(shot(), 100, 470)) << "scrolled to its end";
    EXPECT_EQ(page->contentSize().width, 320) << "scrolling lays nothing out";
}

TEST_F(WebPageViewTest, ANewWidthLaysThePageOutAgain) {
    auto web = shownWeb();
    std::string forty;
    for (int i = 0; i < 40; ++i) forty += "字";
    web->loadHTMLString("<body style=\"margin:0;font-size:16px\">" + forty + "</body>", nullptr);
    ui::driver::finishLoad(web);
    EXPECT_EQ(web->scrollView()->contentSize(), (cg::Size{320, 2 * 23}));
    web->setFrame(cg::RectMake(0, 0, 160, 480));
    window->layoutIfNeeded();
    EXPECT_EQ(web->scrollView()->frame(), cg::RectMake(0, 0, 160, 480));
    EXPECT_EQ(web->scrollView()->contentSize(), (cg::Size{160, 4 * 23}));
    web->setFrame(cg::RectMake(0, 0, 160, 300));
    window->layoutIfNeeded();
    EXPECT_EQ(web->page()->contentSize(), (cg::Size{160, 4 * 23})) << "a new height keeps the lines";
}

TEST_F(WebPageViewTest, ATappedLinkAsksTheDelegateWithItsAddressAndLoadsWhenAllowed) {
    auto web = shownWeb();
    web->loadHTMLString("<body style=\"margin:0\"><p><a href=\"next.html?from=1\">下一页</a></p>"
                        "<p><a href=\"vorlix://rw\">打开游戏盒子</a></p><p>没有链接的字</p>" + paragraphs(30) + "</body>",
                        ns::URL::fromString("http://h5.example/dir/page.html"));
    ui::driver::finishLoad(web);
    take(pages->log);

    // A finger that drags over a link scrolls and follows nothing.
    auto links = web->page()->links();
    ASSERT_GE(links.size(), 2u);
    cg::Point onLink{cg::RectGetMidX(links[0].boxes[0]), cg::RectGetMidY(links[0].boxes[0])};
    ui::driver::drag(web->scrollView(), {onLink, {onLink.x, onLink.y - 30}, {onLink.x, onLink.y - 60}});
    EXPECT_EQ(take(pages->log), "");
    EXPECT_GT(web->scrollView()->contentOffset().y, 0);
    web->scrollView()->setContentOffset(cg::PointZero);

    // A tap on words that are no link does nothing either.
    ui::driver::tapAt(window, web->convertPointToView({300, 5}, window.get()));
    EXPECT_EQ(take(pages->log), "");

    ui::driver::tapLink(web, "打开游戏盒子");
    EXPECT_EQ(take(pages->log), "ask vorlix://rw 0") << "refused by the delegate: nothing loads";
    EXPECT_FALSE(web->isLoading());

    ui::driver::tapLink(web, "下一页");
    EXPECT_EQ(take(pages->log), "ask http://h5.example/dir/next.html?from=1 0 start");
    ASSERT_TRUE(web->isLoading());
    EXPECT_EQ(ui::driver::lastRequest(web)->url()->absoluteString(), "http://h5.example/dir/next.html?from=1");
    EXPECT_THROW(ui::driver::tapLink(web, "没有链接的字"), ui::driver::Failure);
}

TEST_F(WebPageViewTest, AFailedLoadKeepsThePageAndGoingBackShowsTheOlderOne) {
    vx::test::HttpTestServer server;
    server.on("/a", vx::test::HttpTestServer::Reply::text(200, "<p>第一页</p><p><a href=\"/b\">到第二页</a></p>", "text/html"));
    server.on("/b", vx::test::HttpTestServer::Reply::text(200, "<p>" + std::string(kGBK) + "</p>", "text/html; charset=gbk"));
    auto web = shownWeb();
    web->setLoadMode(ui::WebView::LoadMode::Fetch);
    web->loadRequest(requestFor(server.url("/a")));
    ASSERT_TRUE(runMainUntil([&] { return !web->isLoading(); }));
    auto first = web->page();
    ASSERT_TRUE(first);
    EXPECT_NE(first->text().find("第一页"), std::string::npos);

    web->loadRequest(requestFor("http://127.0.0.1:1/closed"));
    ASSERT_TRUE(runMainUntil([&] { return !web->isLoading(); }));
    EXPECT_EQ(web->page(), first) << "a failed load keeps what was shown";

    ui::driver::tapLink(web, "到第二页");
    ASSERT_TRUE(runMainUntil([&] { return !web->isLoading(); }));
    EXPECT_EQ(web->page()->charset(), "gb18030") << "the response's charset";
    EXPECT_EQ(web->page()->text(), "中文");

    web->goBack();
    ASSERT_TRUE(runMainUntil([&] { return !web->isLoading(); }));
    EXPECT_NE(web->page(), first) << "fetched and laid out again";
    EXPECT_NE(web->page()->text().find("第一页"), std::string::npos);
    EXPECT_EQ(web->scrollView()->contentSize().width, 320);
}

TEST_F(WebPageViewTest, PicturesThatArriveMakeRoomInThePage) {
    vx::test::HttpTestServer server;
    auto png = imagebytes::png(50, 200, [](uint32_t, uint32_t) { return imagebytes::Rgba{255, 0, 0, 255}; }, false);
    server.on("/tall.png", vx::test::HttpTestServer::Reply::text(200, std::string(png.begin(), png.end()), "image/png"));
    auto web = shownWeb();
    web->loadHTMLString("<body style=\"margin:0\"><img src=\"tall.png\"><p>图片之后</p></body>",
                        ns::URL::fromString(server.url("/page")));
    ui::driver::finishLoad(web);
    double before = web->scrollView()->contentSize().height;
    ASSERT_TRUE(runMainUntil([&] {
        settle();
        return web->page()->picturesLoading() == 0;
    }));
    EXPECT_GE(web->scrollView()->contentSize().height, before + 200 - 23) << "laid out again when it came";
    EXPECT_TRUE(redAt(shot(), 25, 100));
}

TEST_F(WebPageViewTest, UnderANavigationBarThePageStartsBelowIt) {
    auto root = ui::ViewController::create();
    auto nav = ui::NavigationController::createWithRoot(root);
    window = showWindow(nav);
    auto web = ui::View::create<ui::WebView>(root->view()->bounds());
    root->view()->addSubview(web);
    web->loadHTMLString(longPage(40), nullptr);
    ui::driver::finishLoad(web);
    window->layoutIfNeeded();
    cg::Rect bar = nav->navigationBar()->convertRectToView(nav->navigationBar()->bounds(), window.get());
    EXPECT_GT(cg::RectGetMaxY(bar), 0);
    EXPECT_EQ(web->scrollView()->contentInset().top, cg::RectGetMaxY(bar));
    EXPECT_EQ(web->scrollView()->contentOffset().y, -cg::RectGetMaxY(bar)) << "the page's top shows under the bar";
    EXPECT_EQ(web->page()->contentSize().width, web->bounds().size.width);
}

} // namespace
