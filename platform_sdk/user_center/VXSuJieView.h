#pragma once
// The mine page's unbind-phone panel: an SMS code sent to the bound phone, then commit. It tells
// the page through backBlock and closes itself together with the cover. Toasts go on the panel.

#include "platform_sdk/user_center/VXSuBangView.h"

class VXSuJieView : public ui::View, public ui::TextFieldDelegate {
public:
    static ns::Ref<VXSuJieView> fromXib();
    static void registerInterfaceFile();

    ns::Weak<ui::TextField> codeF;
    std::function<void()> backBlock;

    // The code goes to the account's bound phone: empty number, the account name, type "7".
    void doGetCode(const VXCountDownButtonRef& sender);
    void doCommit();
    // Empties the code field, removes the cover, then the panel.
    void doClose();

    bool shouldReturn(const ui::TextFieldRef& field) override;
    void touchesBegan(const ui::TouchSet& touches, const ui::EventRef& event) override;
};
