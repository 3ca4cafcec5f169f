#include "os/uikit/AlertController.h"

#include "os/foundation/Error.h"
#include "os/uikit/Screen.h"

#include <algorithm>

namespace ui {
namespace {
constexpr double BoxWidth = 270;
constexpr double ButtonHeight = 44;
constexpr double FieldHeight = 30;
constexpr double Padding = 16;

// The hairlines between the text and the buttons and between buttons.
ColorRef separatorColor() { return Color::colorWithRed(0.78, 0.78, 0.8, 1); }

void addHairline(const ViewRef& box, cg::Rect frame) {
    auto line = View::create(frame);
    line->setBackgroundColor(separatorColor());
    line->setUserInteractionEnabled(false);
    box->addSubview(line);
}
} // namespace

AlertActionRef AlertAction::actionWithTitle(std::optional<std::string> title, AlertActionStyle style, Handler handler) {
    auto action = ns::make<AlertAction>();
    action->title_ = std::move(title);
    action->style_ = style;
    action->handler_ = std::move(handler);
    return action;
}

void AlertAction::setEnabled(bool enabled) {
    enabled_ = enabled;
    if (auto b = button_.lock()) b->setEnabled(enabled);
}

AlertControllerRef AlertController::alertControllerWithTitle(std::optional<std::string> title,
                                                             std::optional<std::string> message,
                                                             AlertControllerStyle style) {
    auto alert = ViewController::create<AlertController>();
    alert->setTitle(std::move(title));
    alert->message_ = std::move(message);
    alert->style_ = style;
    return alert;
}

void AlertController::init() {
    ViewController::init();
    setModalPresentationStyle(ModalPresentationStyle::Custom);
}

void AlertController::addAction(const AlertActionRef& action) {
    if (!action) return;
    if (action->style() == AlertActionStyle::Cancel)
        for (const auto& a : actions_)
            if (a->style() == AlertActionStyle::Cancel)
                throw ns::Exception("NSInternalInconsistencyException",
                                    "UIAlertController can only have one action with a style of UIAlertActionStyleCancel");
    actions_.push_back(action);
}

void AlertController::addTextFieldWithConfigurationHandler(const std::function<void(const TextFieldRef&)>& configure) {
    if (style_ != AlertControllerStyle::Alert)
        throw ns::Exception("NSInternalInconsistencyException",
                            "Text fields can only be added to an alert controller of style UIAlertControllerStyleAlert");
    auto field = View::create<TextField>(cg::RectMake(0, 0, BoxWidth - 2 * Padding, FieldHeight));
    // A white box with a thin grey frame and rounded corners, the text a little in.
    field->setBorderStyle(TextBorderStyle::RoundedRect);
    field->setFont(Font::systemFontOfSize(13));
    fields_.push_back(field);
    if (configure) configure(field);
}

ButtonRef AlertController::buttonForAction(const AlertActionRef& action) const {
    return action ? action->button_.lock() : nullptr;
}

void AlertController::tapAction(const AlertActionRef& action) {
    if (!action || !action->isEnabled() || tapped_) return;
    tapped_ = true;
    auto handler = action->handler();
    dismissViewControllerAnimated(true, [handler, action] {
        if (handler) handler(action);
    });
}

void AlertController::loadView() {
    cg::Rect screen = Screen::mainScreen().bounds();
    auto root = View::create(screen);
    root->setBackgroundColor(Color::colorWithWhite(0, 0.4));
    root->setOpaque(false);
    auto box = View::create();
    box->setBackgroundColor(Color::whiteColor());
    box->layer()->setCornerRadius(13);
    box->setClipsToBounds(true);

    double y = Padding;
    auto addLabel = [&](const std::optional<std::string>& text, FontRef font) {
        if (!text) return;
        auto label = View::create<Label>();
        label->setText(text);
        label->setFont(font);
        label->setNumberOfLines(0);
        label->setTextAlignment(TextAlignment::Center);
        cg::Size size = label->sizeThatFits({BoxWidth - 2 * Padding, 0});
        label->setFrame(cg::RectMake(Padding, y, BoxWidth - 2 * Padding, size.height));
        box->addSubview(label);
        y += size.height + 4;
    };
    addLabel(title(), Font::boldSystemFontOfSize(17));
    addLabel(message_, Font::systemFontOfSize(13));
    for (const auto& field : fields_) {
        y += 4;
        field->setFrame(cg::RectMake(Padding, y, BoxWidth - 2 * Padding, FieldHeight));
        box->addSubview(field);
        y += FieldHeight;
    }
    y += Padding;

    // Two actions sit side by side; otherwise one per row, the cancel action last.
    auto ordered = actions_;
    std::stable_partition(ordered.begin(), ordered.end(),
                          [](const AlertActionRef& a) { return a->style() != AlertActionStyle::Cancel; });
    bool sideBySide = ordered.size() == 2 && style_ == AlertControllerStyle::Alert;
    if (sideBySide && ordered[1]->style() == AlertActionStyle::Cancel) std::swap(ordered[0], ordered[1]); // cancel left
    ns::Weak<AlertController> weak = ref<AlertController>();
    double hairline = 1 / std::max(1.0, Screen::mainScreen().scale());
    for (size_t i = 0; i < ordered.size(); ++i) {
        const auto& action = ordered[i];
        auto button = Button::buttonWithType(ButtonType::System);
        button->setTitle(action->title(), ControlStateNormal);
        // The system's red and blue; the cancel action is set in bold.
        button->setTitleColor(action->style() == AlertActionStyle::Destructive
                                  ? Color::colorWithRed(1, 59.0 / 255, 48.0 / 255, 1)
                                  : Color::colorWithRed(0, 122.0 / 255, 1, 1),
                              ControlStateNormal);
        button->titleLabel()->setFont(action->style() == AlertActionStyle::Cancel ? Font::boldSystemFontOfSize(17)
                                                                                 : Font::systemFontOfSize(17));
        button->setEnabled(action->isEnabled());
        cg::Rect frame = sideBySide ? cg::RectMake(BoxWidth / 2 * static_cast<double>(i), y, BoxWidth / 2, ButtonHeight)
                                    : cg::RectMake(0, y + ButtonHeight * static_cast<double>(i), BoxWidth, ButtonHeight);
        button->setFrame(frame);
        // A line above each button, and one to the left of a button beside another.
        addHairline(box, cg::RectMake(frame.origin.x, frame.origin.y, frame.size.width, hairline));
        if (sideBySide && i > 0) addHairline(box, cg::RectMake(frame.origin.x, frame.origin.y, hairline, frame.size.height));
        ns::Weak<AlertAction> weakAction = action;
        button->addAction([weak, weakAction](Control&) {
            auto alert = weak.lock();
            auto a = weakAction.lock();
            if (alert && a) alert->tapAction(a);
        }, ControlEventTouchUpInside);
        action->button_ = button;
        box->addSubview(button);
    }
    double rows = sideBySide ? 1 : static_cast<double>(ordered.size());
    double height = y + ButtonHeight * rows;
    box->setFrame(cg::RectMake((screen.size.width - BoxWidth) / 2, (screen.size.height - height) / 2, BoxWidth, height));
    root->addSubview(box);
    setView(root);
}

} // namespace ui
