#include "UIKitTestSupport.h"

#include "os/foundation/Error.h"
#include "os/uikit/Button.h"
#include "os/uikit/Label.h"
#include "os/uikit/Nib.h"
#include "os/uikit/Storyboard.h"

#include <filesystem>

using namespace uitest;

namespace {

// A panel whose awakeFromNib reads its outlets, as the login panels do.
class VXTestPanel : public ui::View {
public:
    ns::Weak<ui::Label> nameLabel;
    std::vector<std::string> order;
    int taps = 0;
    void awakeFromNib() override {
        auto label = nameLabel.lock();
        order.push_back(label ? "panel sees " + label->text().value_or("") : "panel sees nothing");
    }
    void tapped() { ++taps; }
};

class AwakeLabel : public ui::Label {
public:
    std::vector<std::string>* order = nullptr;
    void awakeFromNib() override {
        if (order) order->push_back("label");
    }
};

class ScenePage : public LoggingController {
public:
    ns::Weak<ui::Button> button;
    bool awoke = false;
    void awakeFromNib() override { awoke = true; }
    void viewDidLoad() override { note(button.lock() ? "didLoad with button" : "didLoad without button"); }
};

class NibTest : public UIKitTest {
protected:
    ns::Ref<ns::Bundle> sdk;
    void SetUp() override {
        UIKitTest::SetUp();
        std::filesystem::create_directories(bundlePath() + "/VOZUV.bundle");
        sdk = ns::Bundle::bundleWithPath(bundlePath() + "/VOZUV.bundle");
        ui::NibRegistry::add("VOZUV", "VXTestPanel", [](const ns::Ref<ns::Object>&) {
            auto hint = ui::View::create<ui::Label>();
            auto panel = ui::View::create<VXTestPanel>(cg::RectMake(0, 0, 300, 270));
            auto label = ui::View::create<AwakeLabel>();
            label->order = &panel->order;
            label->setText("账号");
            panel->addSubview(label);
            panel->nameLabel = label;
            auto button = ui::View::create<ui::Button>();
            button->setTag(10);
            button->addTarget(panel, &VXTestPanel::tapped, ui::ControlEventTouchUpInside);
            panel->addSubview(button);
            return ui::NibObjects{hint, panel};
        });
        ui::StoryboardRegistry::addScene("VOZUV.bundle", "VXUserShow", "VXLoginVC", {
            [] { return ui::ViewController::create<ScenePage>(); },
            [](ui::ViewController& c) {
                auto& page = static_cast<ScenePage&>(c);
                auto root = ui::View::create();
                auto button = ui::View::create<ui::Button>();
                root->addSubview(button);
                page.button = button;
                page.setView(root);
            },
        });
    }
};

TEST_F(NibTest, APanelComesFromItsNibWithOutletsAndActionsBeforeAwake) {
    auto panel = ui::loadFromNib<VXTestPanel>(sdk);
    ASSERT_TRUE(panel);
    EXPECT_EQ(panel->order, (std::vector<std::string>{"label", "panel sees 账号"}));
    ui::ControlRef button = std::dynamic_pointer_cast<ui::Control>(panel->viewWithTag(10));
    ASSERT_TRUE(button);
    button->sendActionsForControlEvents(ui::ControlEventTouchUpInside);
    EXPECT_EQ(panel->taps, 1);

    auto again = ui::loadFromNib<VXTestPanel>(sdk);
    EXPECT_NE(again, panel) << "every load makes new objects";
}

TEST_F(NibTest, AStoryboardSceneBuildsItsViewWhenFirstNeeded) {
    auto log = makeLog();
    auto board = ui::Storyboard::storyboardWithName("VXUserShow", sdk);
    auto page = std::dynamic_pointer_cast<ScenePage>(board->instantiateViewControllerWithIdentifier("VXLoginVC"));
    ASSERT_TRUE(page);
    page->name = "login";
    page->log = log;
    EXPECT_TRUE(page->awoke);
    EXPECT_FALSE(page->isViewLoaded());
    EXPECT_EQ(page->storyboard(), board);
    page->view();
    EXPECT_EQ(take(log), "login.didLoad with button");
}

TEST_F(NibTest, MissingInterfaceFilesFailLoudly) {
    try {
        ui::Nib::nibWithNibName("VXMissingView", sdk);
        FAIL() << "no exception";
    } catch (const ns::Exception& e) {
        EXPECT_EQ(e.name(), "NSInternalInconsistencyException");
        EXPECT_NE(e.reason().find("'VXMissingView'"), std::string::npos) << e.reason();
    }
    EXPECT_THROW(ui::Nib::nibWithNibName("VXTestPanel", nullptr), ns::Exception) << "registered for another bundle";
    EXPECT_THROW(ui::Storyboard::storyboardWithName("VXNope", sdk), ns::Exception);
    auto board = ui::Storyboard::storyboardWithName("VXUserShow", sdk);
    EXPECT_THROW(board->instantiateViewControllerWithIdentifier("VXNoticeVC"), ns::Exception);

    auto page = ui::ViewController::createWithNib("VXAbsent", sdk);
    EXPECT_THROW(page->view(), ns::Exception);
}

} // namespace
