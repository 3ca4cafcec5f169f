#pragma once
// A real-name form panel of the user centre: legal name and identity-card number, submitted with
// the account's real-name request. No screen opens it; it lies on a cover of its own, like the
// phone panels, and closes itself together with that cover. Toasts go on the panel.

#include "os/uikit/TextField.h"
#include "os/uikit/View.h"

#include <functional>

class VXSuRzView : public ui::View, public ui::TextFieldDelegate {
public:
    static ns::Ref<VXSuRzView> fromXib();
    static void registerInterfaceFile();

    ns::Weak<ui::TextField> nameF;
    ns::Weak<ui::TextField> codeF;
    // Runs after the server has accepted the submission, before the panel closes.
    std::function<void()> rzBlock;

    // Name, then number: neither may be empty.
    bool isOK();
    void doCommit();
    // Empties both fields, removes the cover, then the panel.
    void doClose();

    bool shouldReturn(const ui::TextFieldRef& field) override;
    void touchesBegan(const ui::TouchSet& touches, const ui::EventRef& event) override;

private:
    bool submitting_ = false; // a second tap while the request is out sends nothing
};
