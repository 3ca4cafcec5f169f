#pragma once
// The user centre's "福利" tab: a four-button switch ("福利", "活动", "礼包", "开服") over a paging
// scroll view holding the welfare page, the activities, the gift packs and the server list. A
// page's view is made and added the first time it is shown, which is when it sends its first
// request.

#include "os/uikit/Button.h"
#include "os/uikit/ScrollView.h"
#include "os/uikit/ViewController.h"

class VXSuWelfareVC : public ui::ViewController, public ui::ScrollViewDelegate {
public:
    // The switch, made on first access.
    const ui::ViewRef& topView();
    ui::ButtonRef nowBtn() const { return nowBtn_.lock(); }
    // The pages, made on first access (which shows page 0).
    const ui::ScrollViewRef& scrollView();
    const ui::ButtonRef& backBtn();

    void viewDidLoad() override;
    void addVcs();
    // Closes the user centre.
    void goBack();
    // A switch button: scrolls (animated) to its page.
    void doBtnClick(const ui::ButtonRef& button);

    void didEndScrollingAnimation(const ui::ScrollViewRef& scrollView) override;
    void didEndDecelerating(const ui::ScrollViewRef& scrollView) override;

private:
    void _initUI();

    ui::ViewRef topView_;
    ns::Weak<ui::Button> nowBtn_;
    ui::ScrollViewRef scrollView_;
    ui::ButtonRef backBtn_;
};
