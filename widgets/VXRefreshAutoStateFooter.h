#pragma once
// An auto-loading footer with a label that shows a title per state.

#include "os/uikit/Label.h"
#include "widgets/VXRefreshFooter.h"

#include <map>
#include <optional>
#include <string>

class VXRefreshAutoStateFooter;
using VXRefreshAutoStateFooterRef = ns::Ref<VXRefreshAutoStateFooter>;

class VXRefreshAutoStateFooter : public VXRefreshFooter {
public:
    static VXRefreshAutoStateFooterRef footerWithRefreshingBlock(RefreshingBlock block) {
        return make<VXRefreshAutoStateFooter>(std::move(block));
    }

    void initWithFrame(cg::Rect frame) override;

    const ui::LabelRef& stateLabel() const { return stateLabel_; }
    // Stores the title shown in the state (a nil title does nothing); the label changes at once
    // when the state is the current one.
    void setTitle(std::optional<std::string> title, VXRefreshState state);
    std::optional<std::string> titleForState(VXRefreshState state) const;

    void setState(VXRefreshState state) override;
    void layoutSubviews() override;

private:
    std::map<int, std::string> titles_;
    ui::LabelRef stateLabel_;
};
