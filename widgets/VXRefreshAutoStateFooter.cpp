#include "widgets/VXRefreshAutoStateFooter.h"

void VXRefreshAutoStateFooter::initWithFrame(cg::Rect frame) {
    VXRefreshFooter::initWithFrame(frame);
    titles_[VXRefreshStateIdle] = "上拉加载更多";
    titles_[VXRefreshStateRefreshing] = "加载中…";
    titles_[VXRefreshStateNoMoreData] = "没有更多了";
    stateLabel_ = ui::View::create<ui::Label>();
    stateLabel_->setFont(ui::Font::boldSystemFontOfSize(14));
    stateLabel_->setTextColor(ui::Color::colorWithWhite(0.4, 1));
    stateLabel_->setTextAlignment(ui::TextAlignment::Center);
    stateLabel_->setBackgroundColor(ui::Color::clearColor());
    stateLabel_->setText(titleForState(state()));
    addSubview(stateLabel_);
}

void VXRefreshAutoStateFooter::setTitle(std::optional<std::string> title, VXRefreshState state) {
    if (!title) return;
    titles_[state] = *title;
    if (state == this->state()) stateLabel_->setText(*title);
}

std::optional<std::string> VXRefreshAutoStateFooter::titleForState(VXRefreshState state) const {
    auto it = titles_.find(state);
    if (it == titles_.end()) return std::nullopt;
    return it->second;
}

void VXRefreshAutoStateFooter::setState(VXRefreshState state) {
    if (state == this->state()) return;
    VXRefreshFooter::setState(state);
    stateLabel_->setText(titleForState(state));
}

void VXRefreshAutoStateFooter::layoutSubviews() {
    VXRefreshFooter::layoutSubviews();
    stateLabel_->setFrame(bounds());
}
