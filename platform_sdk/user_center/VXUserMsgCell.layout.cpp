// Nib "VXUserMsgCell" (82 pt): a round icon, the title with the unread dot beside the icon, the
// time on the right, the summary below, a hairline at the bottom.
#include "os/uikit/Nib.h"
#include "platform_sdk/user_center/VXSuPanelLayout.h"
#include "platform_sdk/user_center/VXUserCentreInterfaces.h"
#include "platform_sdk/user_center/VXUserMsgCell.h"
#include "widgets/UIColor+XTExtention.h"
#include "widgets/UIImage+VXColor.h"

namespace L = VXSuPanelLayout;

namespace {

class MessageCellView : public VXUserMsgCell {
public:
    void layoutSubviews() override {
        VXUserMsgCell::layoutSubviews();
        double w = contentView()->bounds().size.width;
        if (auto t = timeL.lock()) t->setFrame({{w - 135, 18}, {120, 20}});
        if (auto n = nameL.lock()) n->setFrame({{72, 16}, {w - 72 - 140, 24}});
        if (auto s = showL.lock()) s->setFrame({{72, 44}, {w - 87, 22}});
        if (line) line->setFrame({{72, 81.5}, {w - 72, 0.5}});
    }
    ui::ViewRef line;
};

} // namespace

void VXUserMsgCell::registerInterfaceFile() {
    if (ui::NibRegistry::contains(VXColor::SdkBundleName, "VXUserMsgCell")) return;
    VXUserCentreInterfaces::addNib("VXUserMsgCell", [](const ns::Ref<ns::Object>&) {
        auto cell = ui::View::create<MessageCellView>({{0, 0}, {375, 82}});
        cell->setReuseIdentifier("VXUserMsgCell");
        auto icon = ui::View::create<ui::ImageView>({{15, 18}, {44, 44}});
        icon->setImage(VXColor::sdkImageNamed("vx_su_msg"));
        icon->layer()->setCornerRadius(22);
        icon->setClipsToBounds(true);
        auto dot = ui::View::create({{51, 18}, {9, 9}});
        dot->setBackgroundColor(XTExtention::colorWithHexString("#FF3B30"));
        dot->layer()->setCornerRadius(4.5);
        dot->setAccessibilityIdentifier("unread");
        auto name = L::label({{72, 16}, {163, 24}}, "", 15, "#333333", ui::FontWeight::Medium);
        auto time = L::label({{240, 18}, {120, 20}}, "", 12, "#999999");
        time->setTextAlignment(ui::TextAlignment::Right);
        auto show = L::label({{72, 44}, {288, 22}}, "", 13, "#666666");
        auto line = ui::View::create({{72, 81.5}, {303, 0.5}});
        line->setBackgroundColor(XTExtention::colorWithHexString("#EEEEEE"));
        for (const auto& v : std::vector<ui::ViewRef>{icon, dot, name, time, show, line}) cell->contentView()->addSubview(v);
        cell->iconView = icon, cell->pointView = dot, cell->nameL = name, cell->timeL = time, cell->showL = show;
        cell->line = line;
        return ui::NibObjects{cell};
    });
}
