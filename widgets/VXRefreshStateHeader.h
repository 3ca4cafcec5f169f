#pragma once
// A pull-down header that says what it is doing: a state label with a title per state and, below
// it, when the list was last refreshed. Either label may be hidden; the other then fills the strip.

#include "os/uikit/Label.h"
#include "widgets/VXRefreshHeader.h"

#include <map>
#include <optional>
#include <string>

class VXRefreshStateHeader;
using VXRefreshStateHeaderRef = ns::Ref<VXRefreshStateHeader>;

class VXRefreshStateHeader : public VXRefreshHeader {
public:
    static VXRefreshStateHeaderRef headerWithRefreshingBlock(RefreshingBlock block) {
        return make<VXRefreshStateHeader>(std::move(block));
    }

    void initWithFrame(cg::Rect frame) override;

    // The state-text label, created on first access.
    const ui::LabelRef& stateLabel();
    // "上次刷新：" followed by the time of the last refresh (today: "今天 HH:mm"), or "从未刷新".
    const ui::LabelRef& lastUpdatedTimeLabel() const { return lastUpdatedTimeLabel_; }

    // The title shown in the state; a nil title changes nothing.
    void setTitle(std::optional<std::string> title, VXRefreshState state);
    std::optional<std::string> titleForState(VXRefreshState state) const;

    void setState(VXRefreshState state) override;
    void layoutSubviews() override;

protected:
    // Width of the widest shown label's text (0 when none shows), for the pictures beside it.
    double textWidth() const;

private:
    void updateLastUpdatedTime();

    std::map<int, std::string> titles_;
    ui::LabelRef stateLabel_;
    ui::LabelRef lastUpdatedTimeLabel_;
};
