#include "widgets/VXRefreshComponent.h"

#include "os/dispatch/Queue.h"

void VXRefreshComponent::initWithFrame(cg::Rect frame) {
    ui::View::initWithFrame(frame);
    setBackgroundColor(ui::Color::clearColor());
    setOpaque(false);
}

void VXRefreshComponent::setState(VXRefreshState state) {
    state_ = state;
    setNeedsLayout();
}

void VXRefreshComponent::beginRefreshing() {
    if (window()) setState(VXRefreshStateRefreshing);
    else if (state_ != VXRefreshStateRefreshing) setState(VXRefreshStateWillRefresh);
}

void VXRefreshComponent::endRefreshing() { setState(VXRefreshStateIdle); }

bool VXRefreshComponent::isRefreshing() const {
    return state_ == VXRefreshStateRefreshing || state_ == VXRefreshStateWillRefresh;
}

void VXRefreshComponent::didMoveToWindow() {
    if (state_ == VXRefreshStateWillRefresh && window()) setState(VXRefreshStateRefreshing);
}

void VXRefreshComponent::executeRefreshingCallback() {
    ns::Weak<VXRefreshComponent> weak = ref<VXRefreshComponent>();
    dispatch::async(dispatch::Queue::main(), [weak] {
        auto self = weak.lock();
        if (self && self->refreshingBlock_) self->refreshingBlock_();
    });
}

void VXRefreshComponent::detach() {
    auto old = scrollView_.lock();
    if (!old) return;
    willDetachFromScrollView();
    old->removeObserver(this);
    scrollView_.reset();
}

void VXRefreshComponent::followWidth() {
    auto scrollView = scrollView_.lock();
    if (!scrollView) return;
    cg::Rect f = frame();
    double width = scrollView->bounds().size.width;
    if (f.origin.x != 0 || f.size.width != width) setFrame(cg::RectMake(0, f.origin.y, width, f.size.height));
}

void VXRefreshComponent::willMoveToSuperview(const ui::ViewRef& newSuperview) {
    ui::View::willMoveToSuperview(newSuperview);
    detach();
    auto scrollView = std::dynamic_pointer_cast<ui::ScrollView>(newSuperview);
    if (!scrollView) return;
    scrollView_ = scrollView;
    // A short list can still be pulled.
    scrollView->setAlwaysBounceVertical(true);
    followWidth();
    ns::Weak<VXRefreshComponent> weak = ref<VXRefreshComponent>();
    auto self = ref<VXRefreshComponent>();
    scrollView->addObserver(self, "contentOffset", [weak](const std::string&) {
        if (auto s = weak.lock()) {
            s->followWidth();
            s->scrollViewContentOffsetDidChange();
        }
    });
    scrollView->addObserver(self, "contentSize", [weak](const std::string&) {
        if (auto s = weak.lock()) {
            s->followWidth();
            s->scrollViewContentSizeDidChange();
        }
    });
    scrollView->addObserver(self, "dragging", [weak](const std::string&) {
        if (auto s = weak.lock()) s->scrollViewDraggingDidChange();
    });
    didAttachToScrollView();
}
