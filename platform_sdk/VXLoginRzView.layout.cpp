// Nib "VXLoginRzView": 300 x 310, a title and a note, name and number fields, the details and
// reward links, then close (15, 127.5 wide) and submit (leading = rzBtnLeft, trailing 15). The
// nib's own layout is the optional one (close shown, submit at 157.5).
#include "os/uikit/Nib.h"
#include "platform_sdk/VXLoginRzView.h"
#include "platform_sdk/VXPanelStyle.h"
#include "widgets/UIColor+XTExtention.h"
#include "widgets/UIImage+VXColor.h"

void VXLoginRzView::registerInterfaceFile() {
    if (ui::NibRegistry::contains(VXColor::SdkBundleName, "VXLoginRzView")) return;
    ui::NibRegistry::add(VXColor::SdkBundleName, "VXLoginRzView", [](const ns::Ref<ns::Object>&) {
        using namespace VXPanelStyle;
        auto panel = ui::View::create<VXLoginRzView>(cg::RectMake(0, 0, 300, 310));
        panel->setBackgroundColor(ui::Color::whiteColor());
        auto title = label(cg::RectMake(0, 12, 300, 28), "实名认证", 17, ui::Color::blackColor());
        title->setTextAlignment(ui::TextAlignment::Center);
        auto note = label(cg::RectMake(15, 44, 270, 36), "根据国家防沉迷规定，游戏用户需使用有效身份证件进行实名认证", 12, textGrey());
        note->setNumberOfLines(2);
        auto name = field(cg::RectMake(15, 88, 270, 42), "请输入真实姓名");
        auto code = field(cg::RectMake(15, 140, 270, 42), "请输入身份证号");
        name->setDelegate(panel);
        code->setDelegate(panel);
        auto detail = textButton(cg::RectMake(15, 192, 110, 24), "防沉迷系统详情", accent());
        detail->addTarget(panel, &VXLoginRzView::showDetail, ui::ControlEventTouchUpInside);
        auto receive = textButton(cg::RectMake(185, 192, 100, 24), "实名奖励领取", accent());
        receive->addTarget(panel, &VXLoginRzView::doReceive, ui::ControlEventTouchUpInside);
        auto close = outlinedButton(cg::RectMake(15, 240, 127.5, 44), "以后再说");
        close->layer()->setBorderColor(XTExtention::colorWithHexString("#999999")->cgColor());
        close->addTarget(panel, &VXLoginRzView::doClose, ui::ControlEventTouchUpInside);
        auto submit = filledButton(cg::RectMake(157.5, 240, 127.5, 44), "提交认证");
        submit->addTarget(panel, &VXLoginRzView::doCommit, ui::ControlEventTouchUpInside);
        // Leading edge follows the constraint; the trailing edge stays 15 from the panel's.
        auto leading = ui::LayoutConstraint::withConstant(157.5, "rzBtnLeft");
        ns::Weak<ui::Button> weakSubmit = submit;
        leading->setOnConstantChanged([weakSubmit](double x) {
            if (auto b = weakSubmit.lock()) b->setFrame(cg::RectMake(x, 240, 300 - 15 - x, 44));
        });
        for (const ui::ViewRef& v :
             std::initializer_list<ui::ViewRef>{title, note, name, code, detail, receive, close, submit})
            panel->addSubview(v);
        panel->nameF = name;
        panel->codeF = code;
        panel->closeBtn = close;
        panel->ownedConstraint = leading;
        panel->rzBtnLeft = leading;
        return ui::NibObjects{panel};
    });
}
