#include "platform_sdk/user_center/VXSuSubNameVC.h"

#include "foundation/URLEncode.h"
#include "image/UIImageView+VXExtension.h"
#include "os/foundation/Format.h"
#include "os/foundation/Strings.h"
#include "os/uikit/AlertController.h"
#include "platform_sdk/CXRMessage.h"
#include "platform_sdk/NetWorkManager.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/VXEndpoints.h"
#include "platform_sdk/user_center/VXSuSuNameCell.h"
#include "platform_sdk/user_center/VXUserCentre.h"
#include "widgets/VXProgressHUD.h"

namespace {
constexpr const char* kServerError = "服务器错误";
}

VXSuSubNameVCRef VXSuSubNameVC::instantiate() {
    registerInterfaceFile();
    return VXUserCentre::instantiate<VXSuSubNameVC>("VXSuSubNameVC");
}

void VXSuSubNameVC::viewDidLoad() {
    ui::ViewController::viewDidLoad();
    _initUI();
}

void VXSuSubNameVC::_initUI() {
    setTitle(std::string("小号管理"));
    VXExtension::setGameIconWithUrlStr(iconView.lock(), iconUrl, "vx_noPic.png");
    if (auto l = nameL.lock()) l->setText(ShareVale::sharedInstance()->userName());
    VXSuSuNameCell::registerInterfaceFile();
    if (auto table = tableView.lock()) table->registerNib(VXUserCentre::nib("VXSuSuNameCell"), "VXSuSuNameCell");
    loadData();
}

void VXSuSubNameVC::loadData() {
    auto share = ShareVale::sharedInstance();
    ns::Dictionary p;
    p.set("username", share->userName()), p.set("gid", share->gameID()), p.set("cpsId", share->chanelid());
    p.set("appid", share->appID());
    ns::Weak<VXSuSubNameVC> weak = ref<VXSuSubNameVC>();
    NetWorkManager::sharedInstance()->PostCouponURL(
        VXEndpoints::MyXiaoHao, p,
        [weak](const ns::Value& reply) {
            auto self = weak.lock();
            // Any reply but a success changes nothing and says nothing.
            if (!self || reply["a"].integerValue() != 1) return;
            // Expanded rows collapse: the models are new.
            self->dataSource_ = VXKeyValue::vx_objectArrayWithKeyValuesArray<VXSuSubNameModel>(reply["c"]);
            if (auto table = self->tableView.lock()) table->reloadData();
        },
        [weak](const ns::Ref<ns::Error>&) {
            if (auto self = weak.lock()) CXRMessage::showMessage(std::string(kServerError), self->view());
        });
}

bool VXSuSubNameVC::isValidName(const std::string& name) {
    size_t length = ns::str::utf16Length(name);
    if (length >= 1 && length <= 8) return true;
    CXRMessage::showMessage(std::string("请输入有效字符"), view());
    return false;
}

void VXSuSubNameVC::nameAlert(const std::string& title, std::function<void(const std::string& name)> confirmed) {
    auto alert = ui::AlertController::alertControllerWithTitle(title, std::nullopt, ui::AlertControllerStyle::Alert);
    alert->addTextFieldWithConfigurationHandler(
        [](const ui::TextFieldRef& field) { field->setPlaceholder(std::string("名称不能超过8个字符")); });
    alert->addAction(ui::AlertAction::actionWithTitle(std::string("取消"), ui::AlertActionStyle::Destructive));
    ns::Weak<VXSuSubNameVC> weak = ref<VXSuSubNameVC>();
    ns::Weak<ui::AlertController> weakAlert = alert;
    alert->addAction(ui::AlertAction::actionWithTitle(
        std::string("确认"), ui::AlertActionStyle::Default, [weak, weakAlert, confirmed](const ui::AlertActionRef&) {
            auto self = weak.lock();
            auto alert = weakAlert.lock();
            if (!self) return;
            self->view()->endEditing(true);
            std::string name = alert && !alert->textFields().empty() ? alert->textFields()[0]->text() : std::string();
            if (self->isValidName(name)) confirmed(name);
        }));
    presentViewController(alert, true);
}

void VXSuSubNameVC::addSubName() {
    ns::Weak<VXSuSubNameVC> weak = ref<VXSuSubNameVC>();
    nameAlert("添加新小号", [weak](const std::string& name) {
        if (auto self = weak.lock()) self->addSubNameWithName(name);
    });
}

void VXSuSubNameVC::addSubNameWithName(const std::string& name) {
    VXProgressHUD::showHUDAddedTo(view(), true);
    auto share = ShareVale::sharedInstance();
    ns::Dictionary p;
    p.set("z", share->userName()), p.set("c", share->gameID()), p.set("e", share->chanelid());
    p.set("f", share->appID()), p.set("x", name);
    ns::Weak<VXSuSubNameVC> weak = ref<VXSuSubNameVC>();
    NetWorkManager::sharedInstance()->PostCouponURL(
        VXEndpoints::AddXiaoHao, p,
        [weak](const ns::Value& reply) {
            auto self = weak.lock();
            if (!self) return;
            VXProgressHUD::hideHUDForView(self->view(), true);
            if (reply["code"].integerValue() == 1) return self->loadData();
            CXRMessage::showMessage(ns::format("小号%@", reply["msg"]), self->view());
        },
        [weak](const ns::Ref<ns::Error>&) {
            if (auto self = weak.lock()) VXProgressHUD::hideHUDForView(self->view(), true);
        });
}

void VXSuSubNameVC::showEditSubnameAlterWithModel(const VXSuSubNameModelRef& model) {
    ns::Weak<VXSuSubNameVC> weak = ref<VXSuSubNameVC>();
    nameAlert("修改小号昵称", [weak, model](const std::string& name) {
        if (auto self = weak.lock()) self->doEditSubNameWithModel(model, name);
    });
}

void VXSuSubNameVC::doEditSubNameWithModel(const VXSuSubNameModelRef& model, const std::string& nickname) {
    auto share = ShareVale::sharedInstance();
    ns::Dictionary p;
    p.set("username", share->userName()), p.set("gid", share->gameID()), p.set("appid", share->appID());
    p.set("xiaohao", model ? model->username : std::nullopt), p.set("nickname", nickname);
    ns::Weak<VXSuSubNameVC> weak = ref<VXSuSubNameVC>();
    NetWorkManager::sharedInstance()->PostCouponURL(
        VXEndpoints::EditXiaoHao, p,
        [weak](const ns::Value& reply) {
            auto self = weak.lock();
            if (!self) return;
            if (!reply.isDictionary()) return CXRMessage::showMessage(std::string(kServerError), self->view());
            if (reply["a"].integerValue() == 1) return self->loadData();
            CXRMessage::showMessage(reply["b"].stringValue(), self->view());
        },
        [weak](const ns::Ref<ns::Error>&) {
            if (auto self = weak.lock()) CXRMessage::showMessage(std::string(kServerError), self->view());
        });
}

void VXSuSubNameVC::doLogout() {
    if (logoutBlock) logoutBlock();
}

long VXSuSubNameVC::numberOfRows(const ui::TableViewRef&, long) { return static_cast<long>(dataSource_.size()); }

ui::TableViewCellRef VXSuSubNameVC::cellForRow(const ui::TableViewRef& table, const ui::IndexPath& indexPath) {
    auto cell = std::dynamic_pointer_cast<VXSuSuNameCell>(table->dequeueReusableCell("VXSuSuNameCell", indexPath));
    if (!cell) return ui::TableViewCell::create();
    cell->indexPath = indexPath;
    cell->setModel(dataSource_.at(indexPath.row));
    ns::Weak<ui::TableView> weakTable = table;
    cell->doRefreshBlock = [weakTable](const ui::IndexPath& path) {
        auto table = weakTable.lock();
        if (!table || path.row >= table->numberOfRows(path.section)) return;
        ui::View::performWithoutAnimation([&] { table->reloadRows({path}, ui::TableViewRowAnimation::None); });
    };
    return cell;
}

std::optional<double> VXSuSubNameVC::heightForRow(const ui::TableViewRef&, const ui::IndexPath& indexPath) {
    if (indexPath.row < 0 || static_cast<size_t>(indexPath.row) >= dataSource_.size()) return 66.0;
    return dataSource_[indexPath.row]->isShow ? 96.0 : 66.0;
}

void VXSuSubNameVC::didSelectRow(const ui::TableViewRef&, const ui::IndexPath& indexPath) {
    if (indexPath.row < 0 || static_cast<size_t>(indexPath.row) >= dataSource_.size()) return;
    showEditSubnameAlterWithModel(dataSource_[indexPath.row]);
}
