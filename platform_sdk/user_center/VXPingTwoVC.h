#pragma once
// A comment's thread, pushed from the comment list: the comment as the table's head (the list's very
// model object), its replies page by page, and a reply bar at the bottom. Lays itself out each time
// it appears.

#include "platform_sdk/user_center/VXPingModel.h"
#include "platform_sdk/user_center/VXPingTwoHead.h"
#include "platform_sdk/user_center/VXRefreshViewController.h"
#include "widgets/VXInputView.h"

class VXPingTwoVC;
using VXPingTwoVCRef = ns::Ref<VXPingTwoVC>;

class VXPingTwoVC : public VXRefreshViewController, public VXInputViewDelegate {
public:
    const VXPingTwoHeadRef& headView();
    // The reply bar (the design's inputView; renamed, as responders have an inputView already).
    const VXInputViewRef& commentInputView();
    const VXPingModelRef& headModel() const { return headModel_; }
    void setHeadModel(const VXPingModelRef& model) { headModel_ = model; }

    void viewDidLoad() override;
    void viewDidAppear(bool animated) override;
    void tableViewDidTriggerHeaderRefresh() override;
    void tableViewDidTriggerFooterRefresh() override;

    void inputViewDidClickSendButton(const VXInputViewRef& inputView) override;
    void doCommitWithText(const std::string& text);

    long numberOfRows(const ui::TableViewRef& table, long section) override;
    ui::TableViewCellRef cellForRow(const ui::TableViewRef& table, const ui::IndexPath& indexPath) override;

private:
    void _initUI();
    PageRequest request();

    VXPingTwoHeadRef headView_;
    VXInputViewRef inputView_;
    VXPingModelRef headModel_;
};
