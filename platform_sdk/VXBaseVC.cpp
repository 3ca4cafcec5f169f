#include "platform_sdk/VXBaseVC.h"

#include "os/uikit/Button.h"
#include "os/uikit/ImageView.h"
#include "os/uikit/NavigationController.h"
#include "widgets/UIImage+VXColor.h"

ui::LabelRef VXBaseVC::makeTitleLabel(cg::Rect frame) {
    auto label = ui::View::create<ui::Label>(frame);
    label->setTextAlignment(ui::TextAlignment::Center);
    label->setFont(ui::Font::boldSystemFontOfSize(20));
    label->setTextColor(ui::Color::blackColor());
    return label;
}

void VXBaseVC::viewDidLoad() {
    ui::ViewController::viewDidLoad();
    createLeftItem();
}

void VXBaseVC::viewWillAppear(bool animated) {
    ui::ViewController::viewWillAppear(animated);
    titlelable_ = makeTitleLabel(cg::RectMake(0, 0, 95, 30));
    view()->updateConstraints();
    setAutomaticallyAdjustsScrollViewInsets(false);
}

void VXBaseVC::setTitle(std::optional<std::string> title) {
    ui::ViewController::setTitle(title);
    // A title set before the first appearance still gets a label to show in.
    if (!titlelable_) titlelable_ = makeTitleLabel(cg::RectMake(0, 0, 95, 30));
    titlelable_->setText(std::move(title));
    navigationItem()->setTitleView(titlelable_);
}

void VXBaseVC::createLeftItem() {
    auto container = ui::View::create(cg::RectMake(15, 0, 70, 30));
    container->setBackgroundColor(ui::Color::clearColor());
    auto button = ui::Button::buttonWithType(ui::ButtonType::Custom);
    button->setFrame(cg::RectMake(0, 2, 30, 25));
    button->setImage(VXColor::sdkImageNamed("VX_nav_back"), ui::ControlStateNormal);
    button->addTarget(ref<VXBaseVC>(), &VXBaseVC::popAction, ui::ControlEventTouchUpInside);
    container->addSubview(button);
    navigationItem()->setLeftBarButtonItem(ui::BarButtonItem::withCustomView(container));
}

void VXBaseVC::SetBarTitleViewWithTitle(const std::optional<std::string>& title, const ui::ImageRef& image) {
    auto container = ui::View::create(cg::RectMake(0, 0, 120, 30));
    container->setBackgroundColor(ui::Color::clearColor());
    container->setTag(BarTitleViewTag);
    if (auto nav = navigationController()) {
        cg::Rect bar = nav->navigationBar()->frame();
        container->setCenter({bar.size.width / 2, bar.size.height / 2});
    }
    auto label = makeTitleLabel(cg::RectMake(25, 0, 95, 30));
    label->setText(title);
    auto imageView = ui::View::create<ui::ImageView>(cg::RectMake(0, 0, 20, 20));
    imageView->setImage(image);
    imageView->setCenter({imageView->center().x, label->center().y});
    container->addSubview(label);
    container->addSubview(imageView);
    navigationItem()->setTitleView(container);
}

void VXBaseVC::hiddenLeftBtn() {
    navigationItem()->setLeftBarButtonItem(ui::BarButtonItem::withCustomView(ui::View::create()));
}

void VXBaseVC::popAction() {
    hiddenLeftBtn();
    auto nav = navigationController();
    if (!nav) return;
    if (auto titleView = nav->navigationBar()->viewWithTag(BarTitleViewTag)) titleView->removeFromSuperview();
    if (nav->viewControllers().size() > 1)
        nav->popViewControllerAnimated(true);
    else
        nav->dismissViewControllerAnimated(true);
}

void VXBaseVC::hiddenNavBar(bool hidden) {
    if (auto nav = navigationController()) nav->setNavigationBarHidden(hidden, false);
}

bool VXBaseVC::shouldChangeCharacters(const ui::TextFieldRef& field, ns::Range, const std::string& replacement) {
    if (replacement == "\n") {
        field->resignFirstResponder();
        return false;
    }
    return true;
}

void VXBaseVC::touchesBegan(const ui::TouchSet&, const ui::EventRef&) {
    view()->endEditing(true);
}
