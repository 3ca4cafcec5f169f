#pragma once
// Platform-coin top-up: the player picks one of six amounts or types one, chooses the wallet or
// WeChat H5, and pays; the coin balance is refreshed after a wallet success or a WeChat return.
// Views from the nib "VXSuPtbVC" (owner: the controller). It must sit in a navigation controller.

#include "os/uikit/Button.h"
#include "os/uikit/ImageView.h"
#include "os/uikit/Label.h"
#include "os/uikit/TextField.h"
#include "os/uikit/ViewController.h"

#include <functional>
#include <vector>

class VXSuPtbVC : public ui::ViewController, public ui::TextFieldDelegate {
public:
    // "avatar" (icon address) and "money" (the balance shown at first).
    ns::Value dataDic;
    std::function<void(const ns::Value& balance)> doRefreshBlock;
    const std::vector<std::string> pricesArr{"10", "30", "50", "100", "500", "1000"};
    std::optional<std::string> money;
    ns::Weak<ui::Button> priceBtn; // nil while a typed amount is used
    ns::Weak<ui::Button> nowBtn;   // walletBtn, or the WeChat button
    bool isLayout = false;

    ns::Weak<ui::ImageView> iconView, walletIcon, wxIcon;
    ns::Weak<ui::Label> nameL, ptbL;
    ns::Weak<ui::Button> walletBtn;
    ns::Weak<ui::View> walletView, wxView, moneyView, priceView;
    ns::Weak<ui::TextField> priceF;

    static ns::Ref<VXSuPtbVC> create();

    void viewDidLoad() override;
    void viewWillLayoutSubviews() override;
    void doSelectedPriceBtn(const ui::ButtonRef& sender);
    void payTypeBtnClick(const ui::ButtonRef& sender);
    void doPay();
    void paySuccess();
    void doCheckPtb();

    void didBeginEditing(const ui::TextFieldRef& field) override;
    bool shouldReturn(const ui::TextFieldRef& field) override;
    void touchesBegan(const ui::TouchSet& touches, const ui::EventRef& event) override;

private:
    void initUI();
    void pageReturned(const ns::Ref<ui::ViewController>& page);
};

void registerVXSuPtbVCNib();
