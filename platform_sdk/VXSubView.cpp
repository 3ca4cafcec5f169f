#include "platform_sdk/VXSubView.h"

#include "image/UIImageView+VXExtension.h"
#include "os/foundation/Strings.h"
#include "os/uikit/AdvertisingIdentifier.h"
#include "os/uikit/AlertController.h"
#include "os/uikit/Nib.h"
#include "platform_sdk/CXRMessage.h"
#include "platform_sdk/CXRSdpNetTool.h"
#include "platform_sdk/NetWorkManager.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/VXEndpoints.h"
#include "platform_sdk/VXSubViewCell.h"
#include "widgets/UIImage+VXColor.h"
#include "widgets/UIView+Extension.h"
#include "widgets/VXProgressHUD.h"

namespace {

// Rows of a reply's "data": none unless it is an array; elements that are not objects make no row.
std::optional<std::vector<ns::Ref<VXSubViewModel>>> modelsOf(const ns::Value& data) {
    if (!data.isArray()) return std::nullopt;
    return VXKeyValue::vx_objectArrayWithKeyValuesArray<VXSubViewModel>(data);
}

} // namespace

VXSubViewRef VXSubView::fromXib() {
    registerInterfaceFile();
    VXSubViewCell::registerInterfaceFile();
    return Extension::ViewFromXib<VXSubView>();
}

void VXSubView::awakeFromNib() {
    ui::View::awakeFromNib();
    _initUI();
}

void VXSubView::_initUI() {
    auto table = tableView.lock();
    if (!table) return;
    table->setBackgroundColor(ui::Color::clearColor());
    VXSubViewCell::registerInterfaceFile();
    table->registerNib(ui::Nib::nibWithNibName("VXSubViewCell", URLEncode::getSdkBundle()), "VXSubViewCell");
    table->setRowHeight(55);
}

ns::Dictionary VXSubView::listParameters() const {
    auto share = ShareVale::sharedInstance();
    ns::Dictionary p;
    p.set("z", share->userName()), p.set("c", share->gameID()), p.set("e", share->chanelid());
    p.set("f", share->appID()), p.set("t", "ios");
    return p;
}

void VXSubView::loadData() {
    if (auto name = nameL.lock()) name->setText(ShareVale::sharedInstance()->userName());
    ns::Weak<VXSubView> weak = ref<VXSubView>();
    NetWorkManager::sharedInstance()->PostCouponURL(
        VXEndpoints::XiaoHao, listParameters(),
        [weak](const ns::Value& reply) {
            auto self = weak.lock();
            if (!self) return;
            auto rows = modelsOf(reply["data"]);
            if (rows && reply["data"].count() >= 1) {
                VXExtension::setGameIconWithUrlStr(self->iconView.lock(), reply["headimage"].stringValue(), "vx_noPic.png");
                self->dataSource = std::move(*rows);
                if (auto table = self->tableView.lock()) table->reloadData();
                return;
            }
            if (auto icon = self->iconView.lock()) icon->setImage(VXColor::sdkImageNamed("vx_noPic.png"));
            CXRMessage::showMessage(reply["msg"].stringValue(), self);
        },
        [](const ns::Ref<ns::Error>&) {});
}

void VXSubView::addSub(const ui::ButtonRef&) {
    auto presenter = myVC.lock();
    if (!presenter) return;
    auto alert = ui::AlertController::alertControllerWithTitle("添加新小号", std::nullopt, ui::AlertControllerStyle::Alert);
    alert->addTextFieldWithConfigurationHandler(
        [](const ui::TextFieldRef& field) { field->setPlaceholder(std::string("名称不能超过8个字符")); });
    alert->addAction(ui::AlertAction::actionWithTitle("取消", ui::AlertActionStyle::Destructive));
    ns::Weak<VXSubView> weak = ref<VXSubView>();
    ns::Weak<ui::AlertController> weakAlert = alert;
    alert->addAction(ui::AlertAction::actionWithTitle("确认", ui::AlertActionStyle::Default, [weak, weakAlert](const ui::AlertActionRef&) {
        auto self = weak.lock();
        auto shown = weakAlert.lock();
        if (!self) return;
        self->endEditing(true);
        std::string name = shown && !shown->textFields().empty() ? shown->textFields()[0]->text() : std::string();
        size_t length = ns::str::utf16Length(name);
        if (length >= 1 && length <= 8)
            self->addSubNameWithName(name);
        else
            CXRMessage::showMessage(std::string("请输入有效字符"), self);
    }));
    presenter->presentViewController(alert, true);
}

void VXSubView::addSubNameWithName(const std::string& name) {
    VXProgressHUD::showHUDAddedTo(ref<VXSubView>(), true);
    ns::Dictionary p = listParameters();
    p.set("x", name);
    ns::Weak<VXSubView> weak = ref<VXSubView>();
    NetWorkManager::sharedInstance()->PostCouponURL(
        VXEndpoints::AddXiaoHao, p,
        [weak](const ns::Value& reply) {
            auto self = weak.lock();
            if (!self) return;
            VXProgressHUD::hideHUDForView(self, true);
            if (reply["code"].integerValue() != 1) {
                CXRMessage::showMessage(reply["msg"].stringValue());
                return;
            }
            // A "data" that is not a list says nothing about the sub-accounts: keep those shown.
            if (auto rows = modelsOf(reply["data"])) {
                self->dataSource = std::move(*rows);
                if (auto table = self->tableView.lock()) table->reloadData();
            }
        },
        [weak](const ns::Ref<ns::Error>&) {
            if (auto self = weak.lock()) VXProgressHUD::hideHUDForView(self, true);
        });
}

void VXSubView::checkLoginDataWithModel(const ns::Ref<VXSubViewModel>& model) {
    if (!model) return;
    VXProgressHUD::showHUDAddedTo(ref<VXSubView>(), true);
    auto share = ShareVale::sharedInstance();
    ns::Dictionary p;
    p.set("username", share->userName()), p.set("cpsId", share->chanelid()), p.set("gid", share->gameID());
    p.set("xh", model->username), p.set("login_device", share->phoneType());
    p.set("imeil", ui::AdvertisingIdentifierManager::sharedManager().advertisingIdentifier());
    ns::Weak<VXSubView> weak = ref<VXSubView>();
    CXRSdpNetTool::sharedTool()->PostWithURLString(
        VXEndpoints::AddDLLog, p,
        [weak, model](const ns::Value& reply) {
            auto self = weak.lock();
            if (!self) return;
            VXProgressHUD::hideHUDForView(self, true);
            if (reply["a"].integerValue() < 1) {
                self->showAlterWithTitle(reply["b"].stringValue());
                return;
            }
            if (self->loginBlock) self->loginBlock(model);
        },
        [weak](const ns::Ref<ns::Error>&) {
            auto self = weak.lock();
            if (!self) return;
            VXProgressHUD::hideHUDForView(self, true);
            CXRMessage::showMessage(std::string("服务器错误"), self);
        });
}

void VXSubView::showAlterWithTitle(const std::optional<std::string>& message) {
    auto presenter = myVC.lock();
    if (!presenter) return;
    auto alert = ui::AlertController::alertControllerWithTitle("提示", message, ui::AlertControllerStyle::Alert);
    ns::Weak<VXSubView> weak = ref<VXSubView>();
    alert->addAction(ui::AlertAction::actionWithTitle("确定", ui::AlertActionStyle::Default, [weak](const ui::AlertActionRef&) {
        if (auto self = weak.lock()) self->doLogout();
    }));
    presenter->presentViewController(alert, true);
}

void VXSubView::doLogout() {
    auto keep = ref<VXSubView>();
    dataSource.clear();
    if (auto table = tableView.lock()) table->reloadData();
    removeFromSuperview();
}

long VXSubView::numberOfRows(const ui::TableViewRef&, long) { return static_cast<long>(dataSource.size()); }

ui::TableViewCellRef VXSubView::cellForRow(const ui::TableViewRef& table, const ui::IndexPath& indexPath) {
    auto cell = std::dynamic_pointer_cast<VXSubViewCell>(table->dequeueReusableCell("VXSubViewCell", indexPath));
    if (!cell) return table->dequeueReusableCell("VXSubViewCell", indexPath);
    const auto& model = dataSource.at(static_cast<size_t>(indexPath.row));
    if (auto name = cell->nameL.lock()) name->setText(model->nickname);
    // Cells are reused: set the marker both ways.
    if (auto last = cell->lastL.lock()) last->setHidden(!model->isLast());
    return cell;
}

void VXSubView::didSelectRow(const ui::TableViewRef&, const ui::IndexPath& indexPath) {
    if (static_cast<size_t>(indexPath.row) < dataSource.size()) checkLoginDataWithModel(dataSource[indexPath.row]);
}
