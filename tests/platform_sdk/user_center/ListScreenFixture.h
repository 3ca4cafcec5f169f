#pragma once
// The strategy, coupon and bill screens under test: the user-centre fixture with the player's game
// and channel, the seeded comments' pictures served by the stand-in, and waiting for replies.

#include "image/UIImageView+VXWebImage.h"
#include "platform_sdk/ShareVale.h"
#include "tests/platform_sdk/user_center/UserCentreFixture.h"

#include <fstream>
#include <sstream>

namespace vx::test {

namespace driver = ui::driver;

class ListScreenTest : public UserCentreTest {
protected:
    void SetUp() override {
        UserCentreTest::SetUp();
        auto share = ShareVale::sharedInstance();
        share->setAppID(std::string("app7"));
        share->setGameID(std::string("1001"));
        share->setChanelid(std::string("cps3"));
        // The avatar and badge pictures the seeded comments point at.
        for (const char* name : {"avatar", "vip", "paid"}) {
            std::ifstream in(std::string(VX_PICTURES_DIR) + "/" + name + "@2x.png", std::ios::binary);
            std::stringstream bytes;
            bytes << in.rdbuf();
            server.serveFile(std::string("/pic/") + name + ".png", bytes.str(), "image/png");
        }
    }

    // Whether every picture the window's views asked the server for is on screen (downloads run on
    // the network thread and may land after the reply that named them).
    bool picturesShown() {
        for (const auto& view : driver::findAll<ui::ImageView>(window)) {
            auto url = VXWebImage::VX_imageURL(view);
            if (!url || url->absoluteString().find("/pic/") == std::string::npos) continue;
            auto image = view->image();
            if (!image || !image->CGImage()) return false;
            // The served avatar is blue where the placeholder is grey.
            if (url->absoluteString().find("avatar") != std::string::npos) {
                auto cg = image->CGImage();
                auto p = imagebytes::pixelAt(cg, static_cast<uint32_t>(cg->width() * 0.15), static_cast<uint32_t>(cg->height() / 2));
                if (!(p.b > 200 && p.r < 160)) return false;
            }
        }
        return true;
    }

    // The window laid out as the next display pass would, then compared with its golden.
    void shoot(const std::string& name) {
        EXPECT_TRUE(runMainUntil([&] {
            settle();
            return picturesShown();
        })) << name << ": pictures still loading";
        drainMain();
        window->layoutIfNeeded();
        for (const auto& w : ui::Application::shared().windows()) w->layoutIfNeeded();
        expectMatchesGolden(name);
    }

    static ui::DeviceProfile notch() { return ui::DeviceProfile::notchPortrait(); }
    static ui::DeviceProfile plain() { return ui::DeviceProfile::plainPhone(); }

    // Pumps until `count` requests to the path have been answered and their replies handled
    // (pictures the replies asked for included).
    void answered(const std::string& path, size_t count = 1) {
        ASSERT_TRUE(awaitRequests(path, count)) << path;
        for (int i = 0; i < 25; ++i) {
            ns::RunLoop::main().runOnce(0.02);
            settle();
        }
    }
    ns::Value lastParams(const std::string& path) {
        auto all = server.requests(path);
        return all.empty() ? ns::Value() : all.back().params;
    }
    size_t sentCount(const std::string& path) { return server.requests(path).size(); }
    bool toastShows(const ui::ViewControllerRef& page, const std::string& text) {
        return runMainUntil([&] { return driver::findLabel(page->view(), text) != nullptr; }, 5);
    }
};

} // namespace vx::test
