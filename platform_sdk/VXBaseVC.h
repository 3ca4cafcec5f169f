#pragma once
// The base of the platform SDK's screens: a back button on the left of the bar and a title label.
#include "os/uikit/Image.h"
#include "os/uikit/Label.h"
#include "os/uikit/TextField.h"
#include "os/uikit/ViewController.h"

#include <optional>
#include <string>

class VXBaseVC : public ui::ViewController, public ui::TextFieldDelegate {
public:
    // The tag of the title view made by SetBarTitleViewWithTitle.
    static constexpr long BarTitleViewTag = 10001;

    // The label the title goes into (remade by every viewWillAppear).
    const ui::LabelRef& titlelable() const { return titlelable_; }

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    // Puts the text into the current title label and makes that label the title view.
    void setTitle(std::optional<std::string> title) override;

    // The back button (image "VX_nav_back") on the left of the bar; it runs popAction.
    void createLeftItem();
    // An image and a bold title, centred on the bar, as the title view.
    void SetBarTitleViewWithTitle(const std::optional<std::string>& title, const ui::ImageRef& image);
    void hiddenLeftBtn();
    // Pops this screen, or dismisses the navigation controller when this is its only screen.
    virtual void popAction();
    void hiddenNavBar(bool hidden);

    // The return key closes the keyboard and types nothing.
    bool shouldChangeCharacters(const ui::TextFieldRef& field, ns::Range range, const std::string& replacement) override;
    bool shouldBeginEditing(const ui::TextFieldRef& /*field*/) override { return true; }
    void touchesBegan(const ui::TouchSet& touches, const ui::EventRef& event) override;

private:
    static ui::LabelRef makeTitleLabel(cg::Rect frame);
    ui::LabelRef titlelable_;
};
