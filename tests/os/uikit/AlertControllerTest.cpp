#include "UIKitTestSupport.h"

#include "os/foundation/Error.h"
#include "os/uikit/AlertController.h"

using namespace uitest;

namespace {

class AlertControllerTest : public UIKitTest {};

TEST_F(AlertControllerTest, TappingAnActionDismissesThenRunsItsHandler) {
    auto page = controller("page", log);
    auto window = showWindow(page);
    take(log);

    auto alert = ui::AlertController::alertControllerWithTitle(std::string("添加小号"), std::nullopt,
                                                               ui::AlertControllerStyle::Alert);
    alert->addTextFieldWithConfigurationHandler([](const ui::TextFieldRef& field) {
        field->setPlaceholder(std::string("名称不能超过8个字符"));
    });
    std::string handled;
    ns::Weak<ui::AlertController> weakAlert = alert;
    alert->addAction(ui::AlertAction::actionWithTitle(std::string("取消"), ui::AlertActionStyle::Destructive));
    alert->addAction(ui::AlertAction::actionWithTitle(std::string("确认"), ui::AlertActionStyle::Default,
                                                      [&, weakAlert](const ui::AlertActionRef& action) {
        auto a = weakAlert.lock();
        handled = *action->title() + ":" + (a ? a->textFields()[0]->text() : "gone") + ":" +
                  (page->presentedViewController() ? "still presented" : "dismissed");
    }));
    page->presentViewController(alert, true);
    advance(0.3);
    EXPECT_EQ(take(log), "") << "the presenter stays and hears nothing";
    EXPECT_EQ(alert->textFields()[0]->placeholder(), "名称不能超过8个字符");
    EXPECT_EQ(ui::driver::presentationChain(window), (std::vector<ui::ViewControllerRef>{page, alert}));
    ASSERT_EQ(ui::driver::presentedAlert(window), alert);
    try {
        ui::driver::tapAlertAction(alert, "好的");
        ADD_FAILURE() << "no such action";
    } catch (const ui::driver::Failure& failure) {
        EXPECT_NE(std::string(failure.what()).find("取消, 确认"), std::string::npos) << failure.what();
    }

    alert->textFields()[0]->setText("小号一");
    auto confirm = alert->buttonForAction(alert->actions()[1]);
    ASSERT_TRUE(confirm);
    tap(confirm);
    EXPECT_EQ(handled, "");
    alert.reset();
    advance(0.3);
    EXPECT_EQ(handled, "确认:小号一:dismissed");
    EXPECT_EQ(ui::driver::topViewController(window), page);
}

TEST_F(AlertControllerTest, ProgrammingErrorsRaise) {
    auto alert = ui::AlertController::alertControllerWithTitle(std::nullopt, std::nullopt, ui::AlertControllerStyle::Alert);
    alert->addAction(ui::AlertAction::actionWithTitle(std::string("取消"), ui::AlertActionStyle::Cancel));
    EXPECT_THROW(alert->addAction(ui::AlertAction::actionWithTitle(std::string("关闭"), ui::AlertActionStyle::Cancel)),
                 ns::Exception);
    auto sheet = ui::AlertController::alertControllerWithTitle(std::nullopt, std::nullopt,
                                                               ui::AlertControllerStyle::ActionSheet);
    EXPECT_THROW(sheet->addTextFieldWithConfigurationHandler({}), ns::Exception);
}

} // namespace
