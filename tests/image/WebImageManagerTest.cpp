// The web image manager: the request it builds, cache keys and filters, transforms, queue or
// direct start, and the network activity indicator that follows the count 1/30 s later.

#include "ImageBytes.h"
#include "WebImageRecorder.h"
#include "image/UIImage+VXWebImage.h"
#include "image/VXImageEncoder.h"
#include "image/VXWebImageManager.h"
#include "os/foundation/Thread.h"
#include "os/uikit/Application.h"
#include "os/uikit/Device.h"
#include "tests/support/Environment.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

using namespace imagebytes;
using namespace webimage;
using vx::test::HttpTestServer;

namespace {

class WebImageManager : public vx::test::SandboxTest {
protected:
    void SetUp() override {
        SandboxTest::SetUp();
        cache = VXImageCache::initWithPath(sandboxPath() + "/web");
        manager = VXWebImageManager::initWithCache(cache, nullptr);
        server.on("/a.png", imageReply(png(4, 4, distinct)));
    }
    void TearDown() override {
        ui::Device::currentDevice().setAppExtension(false);
        SandboxTest::TearDown();
    }
    ns::Ref<ns::URL> url(const std::string& path) const { return ns::URL::fromString(server.url(path)); }

    HttpTestServer server;
    ns::Ref<VXImageCache> cache;
    ns::Ref<VXWebImageManager> manager;
};

ui::ImageRef resized(const ui::ImageRef& image, double side) { return VXWebImage::VX_imageByResizeToSize(image, {side, side}); }

} // namespace

TEST_F(WebImageManager, DefaultRequestCarriesExactlyTheManagersSettings) {
    Recorder recorder;
    auto operation = manager->requestImageWithURL(url("/a.png"), 0, nullptr, nullptr, recorder.completion());
    ASSERT_TRUE(operation);
    EXPECT_TRUE(operation->isExecuting()); // no queue: started at once
    const auto& request = operation->request();
    EXPECT_EQ(request->allHTTPHeaderFields(), (ns::Dictionary{{"Accept", "image/*;q=0.8"}}));
    EXPECT_EQ(request->timeoutInterval(), 15);
    EXPECT_FALSE(request->httpShouldHandleCookies());
    EXPECT_TRUE(request->httpShouldUsePipelining());
    EXPECT_EQ(request->cachePolicy(), ns::URLRequestCachePolicy::ReloadIgnoringLocalCacheData);
    ASSERT_TRUE(recorder.waitForFinal());
    ASSERT_TRUE(recorder.last().image);
    EXPECT_EQ(server.requests("/a.png").at(0).header("Accept"), "image/*;q=0.8");

    auto other = manager->requestImageWithURL(url("/b.png"), VXWebImageOptionURLCache | VXWebImageOptionCookies,
                                              nullptr, nullptr, nullptr);
    EXPECT_EQ(other->request()->cachePolicy(), ns::URLRequestCachePolicy::UseProtocolCachePolicy);
    EXPECT_TRUE(other->request()->httpShouldHandleCookies());
    other->cancel();

    manager->setUsername("user");
    manager->setPassword("secret");
    manager->setHeadersFilter([](const ns::Ref<ns::URL>&, const ns::Dictionary&) { return ns::Dictionary{{"X-A", "1"}}; });
    auto filtered = manager->requestImageWithURL(url("/c.png"), 0, nullptr, nullptr, nullptr);
    EXPECT_EQ(filtered->request()->allHTTPHeaderFields(), (ns::Dictionary{{"X-A", "1"}}));
    ASSERT_TRUE(filtered->credential());
    EXPECT_EQ(filtered->credential()->persistence(), ns::URLCredentialPersistence::ForSession);
    filtered->cancel();

    EXPECT_EQ(manager->headersForURL(nullptr), std::nullopt);
    EXPECT_EQ(manager->cacheKeyForURL(nullptr), std::nullopt);
}

TEST_F(WebImageManager, PlainInitialisersRaise) {
    const std::pair<std::function<void()>, std::pair<const char*, const char*>> cases[] = {
        {[] { VXWebImageManager::init(); }, {"VXWebImageManager init error", "Use the designated initializer to init."}},
        {[] { VXWebImageOperation::init(); },
         {"VXWebImageOperation init error",
          "VXWebImageOperation must be initialized with a request. Use the designated initializer to init."}},
        {[] { VXImageCache::init(); },
         {"VXImageCache init error", "VXImageCache must be initialized with a path. Use 'initWithPath:' instead."}},
        {[] { VXImageEncoder::init(); },
         {"VXImageEncoder init error", "VXImageEncoder must be initialized with a type. Use 'initWithType:' instead."}},
    };
    for (const auto& [call, expected] : cases) {
        try {
            call();
            ADD_FAILURE() << expected.first << " not raised";
        } catch (const ns::Exception& e) {
            EXPECT_EQ(e.name(), expected.first);
            EXPECT_EQ(e.reason(), expected.second);
        }
    }
    EXPECT_EQ(VXWebImageOperation::initWithRequest(nullptr, 0, nullptr, std::nullopt, nullptr, nullptr, nullptr), nullptr);
}

TEST_F(WebImageManager, CacheKeyFilterLetsURLsShareAnEntry) {
    manager->setCacheKeyFilter([](const ns::Ref<ns::URL>& u) {
        const std::string& text = u->absoluteString();
        return text.substr(0, text.find('?'));
    });
    std::vector<ns::Ref<VXWebImageOperation>> keep;
    Recorder first, second;
    keep.push_back(manager->requestImageWithURL(url("/a.png?v=1"), 0, nullptr, nullptr, first.completion()));
    ASSERT_TRUE(first.waitForFinal());
    settle();
    keep.push_back(manager->requestImageWithURL(url("/a.png?v=2"), 0, nullptr, nullptr, second.completion()));
    ASSERT_TRUE(second.waitForFinal());
    EXPECT_EQ(second.last().from, VXWebImageOriginMemory);
    EXPECT_EQ(server.requestCount("/a.png"), 1u);
    EXPECT_EQ(*manager->cacheKeyForURL(url("/a.png?v=2")), server.url("/a.png"));
}

TEST_F(WebImageManager, ARequestsOwnTransformWinsOverTheSharedOne) {
    manager->setCache(nullptr);
    manager->setSharedTransformBlock([](const ui::ImageRef& image, const ns::Ref<ns::URL>&) { return resized(image, 1); });
    std::vector<ns::Ref<VXWebImageOperation>> keep;
    Recorder own, shared;
    keep.push_back(manager->requestImageWithURL(
        url("/a.png"), 0, nullptr, [](const ui::ImageRef& image, const ns::Ref<ns::URL>&) { return resized(image, 3); },
        own.completion()));
    keep.push_back(manager->requestImageWithURL(url("/a.png"), 0, nullptr, nullptr, shared.completion()));
    ASSERT_TRUE(own.waitForFinal() && shared.waitForFinal());
    EXPECT_EQ(own.last().image->size().width, 3);
    EXPECT_EQ(shared.last().image->size().width, 1);
}

TEST_F(WebImageManager, IndicatorFollowsTheCountOneThirtiethOfASecondLater) {
    auto& application = ui::Application::shared();
    for (int i = 0; i < 10; ++i) VXWebImageManager::incrementNetworkActivityCount();
    for (int i = 0; i < 10; ++i) VXWebImageManager::decrementNetworkActivityCount();
    auto info = VXWebImageManager::_networkIndicatorInfo();
    ASSERT_TRUE(info);
    EXPECT_EQ(info->count, 0);
    ASSERT_TRUE(info->timer && info->timer->isValid()); // one pending update, for "not visible"
    EXPECT_EQ(info->timer->userInfo().intValue(), 0);
    advance(1.0 / 30);
    EXPECT_FALSE(application.isNetworkActivityIndicatorVisible());

    std::thread([] { VXWebImageManager::incrementNetworkActivityCount(); }).join();
    ASSERT_TRUE(runMainUntil([] { return VXWebImageManager::currentNetworkActivityCount() == 1; }));
    EXPECT_FALSE(application.isNetworkActivityIndicatorVisible());
    advance(1.0 / 30);
    EXPECT_TRUE(application.isNetworkActivityIndicatorVisible());
    VXWebImageManager::decrementNetworkActivityCount();
    VXWebImageManager::decrementNetworkActivityCount();
    EXPECT_EQ(VXWebImageManager::currentNetworkActivityCount(), -1);
    advance(1.0 / 30);
    EXPECT_FALSE(application.isNetworkActivityIndicatorVisible());
}

TEST_F(WebImageManager, AnAppExtensionKeepsNoCount) {
    ui::Device::currentDevice().setAppExtension(true);
    restart(); // the answer is decided once per process
    VXWebImageManager::incrementNetworkActivityCount();
    settle();
    EXPECT_EQ(VXWebImageManager::currentNetworkActivityCount(), 0);
    EXPECT_EQ(VXWebImageManager::_networkIndicatorInfo(), nullptr);
}
