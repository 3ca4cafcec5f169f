#include "platform_sdk/user_center/VXSuOrderListVC.h"

#include "os/uikit/Application.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/VXEndpoints.h"
#include "platform_sdk/user_center/VXSuOrderCell.h"
#include "platform_sdk/user_center/VXUserCentre.h"

void VXSuOrderListVC::setUp(const std::string& title) {
    navTitleL()->setText(title);
    navTitleL()->sizeToFit();
    VXSuOrderCell::registerInterfaceFile();
    tableView()->registerNib(VXUserCentre::nib("VXSuOrderCell"), "VXSuOrderCell");
    tableView()->setRowHeight(90);
    tableViewDidTriggerHeaderRefresh();
}

void VXSuOrderListVC::viewWillLayoutSubviews() {
    VXRefreshViewController::viewWillLayoutSubviews();
    cg::Rect b = view()->bounds();
    double top = VXUserCentre::isNotch() ? 88 : 64;
    tableView()->setFrame({{0, top}, {b.size.width, b.size.height - top}});
}

VXRefreshViewController::PageRequest VXSuOrderListVC::pageRequest() {
    auto share = ShareVale::sharedInstance();
    PageRequest request;
    request.path = path();
    request.parameters.set("username", share->userName());
    request.parameters.set("type", "ios");
    request.parameters.set("cpsId", share->chanelid());
    request.map = [](const ns::Array& rows) {
        ns::Array models;
        for (const auto& model : VXKeyValue::vx_objectArrayWithKeyValuesArray<VXSuOrderModel>(ns::Value(rows)))
            models.push_back(ns::Value(model));
        return models;
    };
    return request;
}

void VXSuOrderListVC::tableViewDidTriggerHeaderRefresh() { loadFirstPage(pageRequest()); }
void VXSuOrderListVC::tableViewDidTriggerFooterRefresh() { loadNextPage(pageRequest()); }

long VXSuOrderListVC::numberOfRows(const ui::TableViewRef&, long) { return static_cast<long>(dataSource().size()); }

ui::TableViewCellRef VXSuOrderListVC::cellForRow(const ui::TableViewRef& table, const ui::IndexPath& indexPath) {
    auto cell = std::dynamic_pointer_cast<VXSuOrderCell>(table->dequeueReusableCell("VXSuOrderCell", indexPath));
    if (!cell) return VXRefreshViewController::cellForRow(table, indexPath);
    auto& rows = dataSource();
    if (indexPath.row >= 0 && static_cast<size_t>(indexPath.row) < rows.size())
        cell->setModel(rows[indexPath.row].objectAs<VXSuOrderModel>());
    return cell;
}

void VXSuOrderListVC::didSelectRow(const ui::TableViewRef&, const ui::IndexPath&) {
    // Whatever the row: the box-app page; none configured, nothing opens.
    std::string box = ShareVale::sharedInstance()->iosWapBoxUrl().stringValue().value_or("");
    if (auto url = ns::URL::fromString(box); url && !box.empty()) ui::Application::shared().openURL(url);
}
