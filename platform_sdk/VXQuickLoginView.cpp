#include "platform_sdk/VXQuickLoginView.h"

#include "os/foundation/Format.h"
#include "os/uikit/Application.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/VXEndpoints.h"
#include "widgets/UIView+Extension.h"

VXQuickLoginViewRef VXQuickLoginView::fromXib() {
    registerInterfaceFile();
    return Extension::ViewFromXib<VXQuickLoginView>();
}

void VXQuickLoginView::doBtnClick() {
    auto share = ShareVale::sharedInstance();
    auto& application = ui::Application::shared();
    auto box = ns::URL::fromString(ns::format("%@quickLogin&%@", VXEndpoints::BoxAppScheme, share->gameID()));
    if (box && application.canOpenURL(box)) {
        application.openURL(box);
        return;
    }
    if (auto page = ns::URL::fromString(ns::format("%@?ag=%@", VXEndpoints::boxPageURL(), share->chanelid())))
        application.openURL(page);
}
