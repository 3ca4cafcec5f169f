#pragma once
// The user centre's "攻略" tab: a 240 pt two-button switch ("攻略", "评论") over a paging scroll view
// holding the strategy guides and the comment page. A page's view is made and added the first time
// it is shown, so the comment page sends its first request only when the player turns to it.

#include "os/uikit/Button.h"
#include "os/uikit/ScrollView.h"
#include "os/uikit/ViewController.h"

class VXSuStrategyVC;
using VXSuStrategyVCRef = ns::Ref<VXSuStrategyVC>;

class VXSuStrategyVC : public ui::ViewController, public ui::ScrollViewDelegate {
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
