// Pictures of a page: fetched over loopback HTTP, decoded, laid out and drawn when they arrive;
// bounded in number and size; broken ones left out.
#include "PageTestSupport.h"
#include "tests/support/HttpTestServer.h"

namespace {

using namespace webtest;
using vx::test::HttpTestServer;

class PagePictures : public PageTest {
protected:
    wk::PageRef load(const std::string& html, const wk::PictureLimits& limits = {}) {
        auto page = wk::Page::make(ns::Data::fromString(html), std::nullopt, ns::URL::fromString(server.url("/page.html")),
                                   {}, limits);
        page->setPictureArrived([this] { ++arrivals; });
        return page;
    }
    HttpTestServer server;
    int arrivals = 0;
};

TEST_F(PagePictures, APictureArrivesIsLaidOutAndDrawn) {
    server.on("/pics/red.png", HttpTestServer::Reply::text(200, pngOf(40, 30, {255, 0, 0, 255}), "image/png"));
    auto page = load("<body style=\"margin:0\"><img src=\"pics/red.png\"><p style=\"margin:0\">后</p></body>");
    cg::Size before = page->layout({320, 480});
    ASSERT_TRUE(picturesSettled(page));
    EXPECT_EQ(arrivals, 1);
    EXPECT_TRUE(page->needsLayout({320, 480})) << "the picture has a size the layout has not seen";
    cg::Size after = page->layout({320, 480});
    EXPECT_GE(after.height, before.height + 30 - 23) << "room made for the picture's 30 points";
    Drawing drawing(*page, {320, 480});
    auto pixel = drawing.at(20, 15);
    EXPECT_TRUE(pixel.r > 240 && pixel.g < 20 && pixel.b < 20);
    EXPECT_FALSE(drawing.inked(41, 0, 320, 28)) << "40 points wide";
    EXPECT_EQ(server.requestCount("/pics/red.png"), 1u);

    // A size given in the page is kept, and drawn to it; a picture used twice is fetched once.
    server.on("/pics/blue.png", HttpTestServer::Reply::text(200, pngOf(10, 10, {0, 0, 255, 255}), "image/png"));
    auto sized = load("<body style=\"margin:0\"><img src=\"/pics/blue.png\" width=\"60\" height=\"20\">"
                      "<div style=\"width:50px;height:50px;background:url(/pics/blue.png)\"></div></body>");
    cg::Size fixed = sized->layout({320, 480});
    ASSERT_TRUE(picturesSettled(sized));
    EXPECT_EQ(sized->layout({320, 480}).height, fixed.height);
    Drawing scaled(*sized, {320, 480});
    auto blue = scaled.at(55, 10);
    EXPECT_TRUE(blue.b > 240 && blue.r < 20) << "stretched to 60 points";
    auto tiled = scaled.at(45, 65);
    EXPECT_TRUE(tiled.b > 240 && tiled.r < 20) << "the background repeats";
    EXPECT_EQ(server.requestCount("/pics/blue.png"), 1u);
}

TEST_F(PagePictures, BrokenAndMissingPicturesAreLeftOut) {
    server.on("/garbage.png", HttpTestServer::Reply::text(200, "not a picture at all", "image/png"));
    server.on("/cut.png", HttpTestServer::Reply::text(200, pngOf(20, 20, {0, 255, 0, 255}).substr(0, 40), "image/png"));
    server.on("/error.png", HttpTestServer::Reply::text(500, pngOf(5, 5, {0, 255, 0, 255}), "image/png"));
    auto page = load("<img src=\"/garbage.png\"><img src=\"/cut.png\"><img src=\"/missing.png\"><img src=\"/error.png\">"
                     "<img src=\"data:image/png;base64,AAAA\"><img src=\"ftp://pics.test/a.png\"><img src=\"\">"
                     "<div style=\"background-image:url(/missing.png)\">字</div>");
    page->layout({320, 480});
    ASSERT_TRUE(picturesSettled(page));
    EXPECT_EQ(arrivals, 0);
    EXPECT_FALSE(page->needsLayout({320, 480}));
    Drawing drawing(*page, {320, 480});
    EXPECT_EQ(server.requestCount("/missing.png"), 1u);
    EXPECT_EQ(server.requests().size(), 4u) << "only http addresses are fetched";
}

TEST_F(PagePictures, PicturesPastTheLimitsAreNotDecoded) {
    server.on("/huge.png", HttpTestServer::Reply::text(200, pngClaiming(3000, 3000), "image/png"));
    for (const char* name : {"/a.png", "/b.png", "/c.png", "/d.png", "/e.png", "/f.png"})
        server.on(name, HttpTestServer::Reply::text(200, pngOf(10, 10, {0, 0, 0, 255}), "image/png"));
    wk::PictureLimits limits;
    limits.maxPictures = 5;
    limits.maxPixels = 400;
    limits.maxTotalPixels = 250;
    auto page = load("<img src=/huge.png><img src=/a.png><img src=/b.png><img src=/c.png><img src=/d.png>"
                     "<img src=/e.png><img src=/f.png>",
                     limits);
    ASSERT_TRUE(picturesSettled(page));
    EXPECT_TRUE(logContains("of 3000x3000 pixels not decoded"));
    EXPECT_TRUE(logContains("pictures would hold over 250 pixels"));
    EXPECT_TRUE(logContains("at most 5 pictures"));
    EXPECT_EQ(arrivals, 2) << "two of 100 pixels fit in 250";
    EXPECT_EQ(server.requests().size(), 5u);

    // What the image layer itself refuses to read is no picture.
    server.on("/vast.png", HttpTestServer::Reply::text(200, pngClaiming(100000, 100000), "image/png"));
    auto vast = load("<img src=/vast.png>");
    ASSERT_TRUE(picturesSettled(vast));
    EXPECT_TRUE(logContains("/vast.png is no picture"));
}

TEST_F(PagePictures, APageGoneBeforeItsPicturesArriveHearsNothing) {
    int gate = server.newGate();
    HttpTestServer::Reply slow;
    slow.contentType = "image/png";
    slow.steps = {HttpTestServer::Step::wait(gate), HttpTestServer::Step::send(pngOf(4, 4, {0, 0, 0, 255}))};
    server.on("/slow.png", slow);
    {
        auto page = load("<img src=/slow.png>");
        ASSERT_TRUE(runMainUntil([&] { return server.requestCount("/slow.png") == 1; }));
    }
    server.open(gate);
    settle();
    drainMain();
    EXPECT_EQ(arrivals, 0);
}

} // namespace
