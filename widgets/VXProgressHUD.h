#pragma once
// A busy indicator over a view while a request runs: a spinner in a dark rounded box, on a clear
// layer that covers the view and so takes its touches. Hiding fades it out (0.3 s on the clock
// when animated); a HUD being hidden counts as finished at once, so the next hide finds the one
// below it.

#include "os/uikit/ActivityIndicatorView.h"
#include "os/uikit/View.h"

class VXProgressHUD;
using VXProgressHUDRef = ns::Ref<VXProgressHUD>;

class VXProgressHUD : public ui::View {
public:
    static constexpr double AnimationDuration = 0.3;

    // A HUD the size of the view's bounds that removes itself when hidden, added to the view in
    // front, shown. None for no view.
    static VXProgressHUDRef showHUDAddedTo(const ui::ViewRef& view, bool animated);
    // Hides the topmost unfinished HUD among the view's direct subviews (and removes it once
    // hidden); answers whether there was one.
    static bool hideHUDForView(const ui::ViewRef& view, bool animated);
    // The topmost unfinished HUD among the view's direct subviews, or none.
    static VXProgressHUDRef HUDForView(const ui::ViewRef& view);

    void initWithFrame(cg::Rect frame) override;

    void showAnimated(bool animated);
    void hideAnimated(bool animated);
    // Whether hiding has begun (or ended).
    bool hasFinished() const { return finished_; }
    bool removeFromSuperViewOnHide() const { return removeOnHide_; }
    void setRemoveFromSuperViewOnHide(bool remove) { removeOnHide_ = remove; }

    const ui::ViewRef& bezelView() const { return bezel_; }
    const ui::ActivityIndicatorViewRef& indicator() const { return indicator_; }

    void layoutSubviews() override;

private:
    void done();

    ui::ViewRef bezel_;
    ui::ActivityIndicatorViewRef indicator_;
    bool finished_ = false;
    bool removeOnHide_ = false;
    unsigned long generation_ = 0;
};
