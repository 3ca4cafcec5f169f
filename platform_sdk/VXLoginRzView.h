#pragma once
// The real-name panel (300 x 310): legal name and identity-card number for the anti-addiction
// check. On the login card the server decides whether it may be closed; in the user centre it lies
// on a cover of its own.

#include "os/uikit/Button.h"
#include "os/uikit/LayoutConstraint.h"
#include "os/uikit/TextField.h"
#include "platform_sdk/VXBaseResponse.h"

#include <functional>
#include <string>

class VXLoginRzView;
using VXLoginRzViewRef = ns::Ref<VXLoginRzView>;

class VXLoginRzView : public ui::View, public ui::TextFieldDelegate {
public:
    static VXLoginRzViewRef fromXib();
    static void registerInterfaceFile();

    ns::Weak<ui::TextField> nameF, codeF;
    ns::Weak<ui::Button> closeBtn;
    // The submit button's leading distance: 15 alone, 157.5 beside the close button.
    ns::Weak<ui::LayoutConstraint> rzBtnLeft;
    bool isShowCover = false;
    std::function<void()> rzBlock;
    std::function<void()> goToDetail;
    std::function<void(const std::string& url)> goToReceive;

    const ns::Ref<LoginResult>& loginData() const { return loginData_; }
    // Stores the login reply and lays out the buttons by whether the check is mandatory.
    void setLoginData(ns::Ref<LoginResult> data);

    void doCommit();
    void doClose();
    void showDetail();
    void doReceive();
    bool isOK();
    // Whether a submission is waiting for its reply (a second submit is ignored meanwhile).
    bool isSubmitting() const { return submitting_; }

    bool shouldReturn(const ui::TextFieldRef& field) override;
    void touchesBegan(const ui::TouchSet& touches, const ui::EventRef& event) override;

    // The constraint object lives with the panel; the outlet above only points at it.
    ui::LayoutConstraintRef ownedConstraint;

private:
    void emptyFields();
    ns::Ref<LoginResult> loginData_;
    bool submitting_ = false;
};
