#include "platform_sdk/user_center/VXUserMsgVC.h"

#include "os/uikit/NavigationController.h"
#include "platform_sdk/CXRMessage.h"
#include "platform_sdk/CXRSdpNetTool.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/VXEndpoints.h"
#include "platform_sdk/VXSuWebVC.h"
#include "platform_sdk/user_center/VXUserCentre.h"
#include "platform_sdk/user_center/VXUserMsgCell.h"

void VXUserMsgVC::viewDidLoad() {
    VXRefreshViewController::viewDidLoad();
    _initUI();
}

void VXUserMsgVC::_initUI() {
    navTitleL()->setText(std::string("消息中心"));
    navTitleL()->sizeToFit();
    cg::Rect b = view()->bounds();
    double top = VXUserCentre::isNotch() ? 88 : 64;
    tableView()->setFrame({{0, top}, {b.size.width, b.size.height - top}});
    VXUserMsgCell::registerInterfaceFile();
    tableView()->registerNib(VXUserCentre::nib("VXUserMsgCell"), "VXUserMsgCell");
    tableView()->setRowHeight(82);
    tableViewDidTriggerHeaderRefresh();
}

VXRefreshViewController::PageRequest VXUserMsgVC::pageRequest() {
    auto share = ShareVale::sharedInstance();
    PageRequest request;
    request.path = VXEndpoints::ListNews;
    request.parameters.set("username", share->userName());
    request.parameters.set("channel", share->chanelid());
    request.listKey = "c";
    request.nowPageKey = "nowpage";
    request.totalPageKey = "allnum";
    request.map = [](const ns::Array& rows) {
        ns::Array models;
        for (const auto& model : VXKeyValue::vx_objectArrayWithKeyValuesArray<VXUserMsgModel>(ns::Value(rows)))
            models.push_back(ns::Value(model));
        return models;
    };
    return request;
}

void VXUserMsgVC::tableViewDidTriggerHeaderRefresh() {
    PageRequest request = pageRequest();
    ns::Weak<VXUserMsgVC> weak = ref<VXUserMsgVC>();
    request.refused = [weak](const ns::Value& reply) {
        if (auto self = weak.lock()) CXRMessage::showMessage(reply["b"].stringValue(), self->view());
    };
    loadFirstPage(std::move(request));
}

void VXUserMsgVC::tableViewDidTriggerFooterRefresh() { loadNextPage(pageRequest()); }

VXUserMsgModelRef VXUserMsgVC::modelAt(long row) const {
    auto& rows = const_cast<VXUserMsgVC*>(this)->dataSource();
    if (row < 0 || static_cast<size_t>(row) >= rows.size()) return nullptr;
    return rows[row].objectAs<VXUserMsgModel>();
}

long VXUserMsgVC::numberOfRows(const ui::TableViewRef&, long) { return static_cast<long>(dataSource().size()); }

ui::TableViewCellRef VXUserMsgVC::cellForRow(const ui::TableViewRef& table, const ui::IndexPath& indexPath) {
    auto cell = std::dynamic_pointer_cast<VXUserMsgCell>(table->dequeueReusableCell("VXUserMsgCell", indexPath));
    if (!cell) return VXRefreshViewController::cellForRow(table, indexPath);
    cell->setModel(modelAt(indexPath.row));
    return cell;
}

void VXUserMsgVC::didSelectRow(const ui::TableViewRef&, const ui::IndexPath& indexPath) {
    auto model = modelAt(indexPath.row);
    if (!model) return;
    auto page = VXSuWebVC::instantiate();
    if (auto nav = navigationController(); nav && page) {
        page->setName(model->title);
        page->setUrl(model->url);
        page->setIsShowSuperVc(true);
        nav->pushViewController(page, true);
    }
    if (!model->isRead()) readNewsWithModel(model);
}

void VXUserMsgVC::readNewsWithModel(const VXUserMsgModelRef& model) {
    // One read request per message at a time: a second opening meanwhile asks nothing more.
    if (!model || model->reading) return;
    model->reading = true;
    ns::Dictionary p;
    p.set("id", model->msgId), p.set("username", ShareVale::sharedInstance()->userName());
    ns::Weak<VXUserMsgVC> weak = ref<VXUserMsgVC>();
    CXRSdpNetTool::sharedTool()->PostWithURLString(
        VXEndpoints::MyNews, p,
        [weak, model](const ns::Value& reply) {
            model->reading = false;
            auto self = weak.lock();
            if (!self || reply["a"].integerValue() != 1) return;
            // Only the reply that turns this message read lowers the badge.
            bool wasUnread = !model->isRead();
            model->status = "1";
            // The row is found again by the model: the list may have changed meanwhile.
            auto& rows = self->dataSource();
            for (size_t i = 0; i < rows.size(); ++i)
                if (rows[i].objectAs<VXUserMsgModel>() == model) {
                    self->tableView()->reloadRows({ui::IndexPath::forRow(static_cast<long>(i), 0)},
                                                  ui::TableViewRowAnimation::None);
                    break;
                }
            if (wasUnread && self->refreshBlock) self->refreshBlock();
        },
        [model](const ns::Ref<ns::Error>&) { model->reading = false; });
}
