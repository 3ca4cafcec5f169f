#pragma once
// An alert or action sheet: title, message, actions with styles, and (alerts only) text fields.
// It presents itself over the presenter (custom style: the presenter stays and gets no
// appearance calls). Tapping an action's button dismisses the alert and, when the dismissal has
// ended, runs the action's handler. A second cancel action, or a text field on an action sheet,
// is a programming error (ns::Exception).

#include "os/uikit/Button.h"
#include "os/uikit/Label.h"
#include "os/uikit/TextField.h"
#include "os/uikit/ViewController.h"

namespace ui {

enum class AlertControllerStyle : int { ActionSheet = 0, Alert = 1 };
enum class AlertActionStyle : int { Default = 0, Cancel = 1, Destructive = 2 };

class AlertAction;
class AlertController;
using AlertActionRef = ns::Ref<AlertAction>;
using AlertControllerRef = ns::Ref<AlertController>;

class AlertAction : public ns::Object {
public:
    using Handler = std::function<void(const AlertActionRef& action)>;
    static AlertActionRef actionWithTitle(std::optional<std::string> title, AlertActionStyle style, Handler handler = {});

    const std::optional<std::string>& title() const { return title_; }
    AlertActionStyle style() const { return style_; }
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);
    const Handler& handler() const { return handler_; }

private:
    friend class AlertController;
    std::optional<std::string> title_;
    AlertActionStyle style_ = AlertActionStyle::Default;
    bool enabled_ = true;
    Handler handler_;
    ns::Weak<Button> button_;
};

class AlertController : public ViewController {
public:
    static AlertControllerRef alertControllerWithTitle(std::optional<std::string> title,
                                                       std::optional<std::string> message,
                                                       AlertControllerStyle style);

    const std::optional<std::string>& message() const { return message_; }
    void setMessage(std::optional<std::string> message) { message_ = std::move(message); }
    AlertControllerStyle preferredStyle() const { return style_; }

    void addAction(const AlertActionRef& action);
    const std::vector<AlertActionRef>& actions() const { return actions_; }
    AlertActionRef preferredAction() const { return preferred_; }
    void setPreferredAction(AlertActionRef action) { preferred_ = std::move(action); }
    void addTextFieldWithConfigurationHandler(const std::function<void(const TextFieldRef&)>& configure);
    const std::vector<TextFieldRef>& textFields() const { return fields_; }

    // What a tap on the action's button does (nothing for a disabled action).
    void tapAction(const AlertActionRef& action);
    // The button showing the action (once the view is loaded).
    ButtonRef buttonForAction(const AlertActionRef& action) const;

    void init() override;
    void loadView() override;

private:
    std::optional<std::string> message_;
    AlertControllerStyle style_ = AlertControllerStyle::Alert;
    std::vector<AlertActionRef> actions_;
    AlertActionRef preferred_;
    std::vector<TextFieldRef> fields_;
    bool tapped_ = false;
};

} // namespace ui
