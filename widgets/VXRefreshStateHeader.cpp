#include "widgets/VXRefreshStateHeader.h"

#include "os/foundation/Clock.h"
#include "os/foundation/Format.h"

#include <ctime>

namespace {

ui::LabelRef makeLabel() {
    auto label = ui::View::create<ui::Label>();
    label->setFont(ui::Font::boldSystemFontOfSize(14));
    label->setTextColor(ui::Color::colorWithWhite(0.4, 1));
    label->setTextAlignment(ui::TextAlignment::Center);
    label->setBackgroundColor(ui::Color::clearColor());
    return label;
}

std::tm localTime(double seconds) {
    std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    localtime_r(&t, &tm);
    return tm;
}

} // namespace

void VXRefreshStateHeader::initWithFrame(cg::Rect frame) {
    VXRefreshHeader::initWithFrame(frame);
    titles_[VXRefreshStateIdle] = "下拉刷新";
    titles_[VXRefreshStatePulling] = "释放即可刷新";
    titles_[VXRefreshStateRefreshing] = "刷新中…";
    lastUpdatedTimeLabel_ = makeLabel();
    addSubview(lastUpdatedTimeLabel_);
    stateLabel()->setText(titleForState(state()));
    updateLastUpdatedTime();
}

const ui::LabelRef& VXRefreshStateHeader::stateLabel() {
    if (!stateLabel_) {
        stateLabel_ = makeLabel();
        addSubview(stateLabel_);
    }
    return stateLabel_;
}

void VXRefreshStateHeader::setTitle(std::optional<std::string> title, VXRefreshState state) {
    if (!title) return;
    titles_[state] = *title;
    if (state == this->state()) stateLabel()->setText(*title);
}

std::optional<std::string> VXRefreshStateHeader::titleForState(VXRefreshState state) const {
    auto it = titles_.find(state);
    if (it == titles_.end()) return std::nullopt;
    return it->second;
}

void VXRefreshStateHeader::setState(VXRefreshState state) {
    if (state == this->state()) return;
    VXRefreshHeader::setState(state);
    stateLabel()->setText(titleForState(state));
    updateLastUpdatedTime();
}

void VXRefreshStateHeader::updateLastUpdatedTime() {
    auto last = lastUpdatedTime();
    if (!last) {
        lastUpdatedTimeLabel_->setText("上次刷新：从未刷新");
        return;
    }
    std::tm then = localTime(*last), now = localTime(ns::Clock::wallNow());
    std::string when;
    if (then.tm_year == now.tm_year && then.tm_yday == now.tm_yday)
        when = ns::format("今天 %02d:%02d", then.tm_hour, then.tm_min);
    else if (then.tm_year == now.tm_year)
        when = ns::format("%02d-%02d %02d:%02d", then.tm_mon + 1, then.tm_mday, then.tm_hour, then.tm_min);
    else
        when = ns::format("%d-%02d-%02d %02d:%02d", then.tm_year + 1900, then.tm_mon + 1, then.tm_mday, then.tm_hour,
                          then.tm_min);
    lastUpdatedTimeLabel_->setText("上次刷新：" + when);
}

double VXRefreshStateHeader::textWidth() const {
    double width = 0;
    for (const auto& label : {stateLabel_, lastUpdatedTimeLabel_}) {
        if (label && !label->isHidden()) width = std::max(width, label->intrinsicContentSize().width);
    }
    return width;
}

void VXRefreshStateHeader::layoutSubviews() {
    VXRefreshHeader::layoutSubviews();
    cg::Rect b = bounds();
    bool stateShown = stateLabel_ && !stateLabel_->isHidden();
    bool timeShown = !lastUpdatedTimeLabel_->isHidden();
    if (stateShown && timeShown) {
        stateLabel_->setFrame(cg::RectMake(0, 0, b.size.width, b.size.height / 2));
        lastUpdatedTimeLabel_->setFrame(cg::RectMake(0, b.size.height / 2, b.size.width, b.size.height / 2));
    } else if (stateShown) {
        stateLabel_->setFrame(b);
    } else if (timeShown) {
        lastUpdatedTimeLabel_->setFrame(b);
    }
}
