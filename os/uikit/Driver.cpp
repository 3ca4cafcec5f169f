#include "os/uikit/Driver.h"

#include "os/foundation/Clock.h"
#include "os/foundation/RunLoop.h"
#include "os/foundation/Strings.h"
#include "os/uikit/Application.h"
#include "os/uikit/Screen.h"
#include "os/uikit/ViewRendering.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace ui::driver {
namespace {

// A main queue that keeps re-posting itself would never drain.
constexpr int DrainLimit = 100000;
// Points the finger moves between two moves of a drag.
constexpr double DragStep = 10;
// A swipe lets go with this speed (points per second): enough to turn a page.
constexpr double SwipeVelocity = 1000;

// What advance() runs around and between the items that fall due; empty: drainMain.
std::function<void()>& settleHook() {
    static std::function<void()> hook;
    return hook;
}

void settleStep() {
    if (auto& hook = settleHook()) hook();
    else drainMain();
}

std::string describe(const View* view) { return view ? view->description() : "nothing"; }

// Where a finger lands on the view, in its window: the centre of the part that lies on the window
// (a button docked half off screen is tapped on its visible half).
cg::Point touchPoint(const View& view, const Window& window) {
    cg::Rect inWindow = view.convertRectToView(view.bounds(), &window);
    cg::Rect visible = cg::RectIntersection(inWindow, window.bounds());
    cg::Rect r = cg::RectIsEmpty(visible) ? inWindow : visible;
    return {cg::RectGetMidX(r), cg::RectGetMidY(r)};
}

// A step a person cannot take.
[[noreturn]] void fail(const std::string& reason) { throw Failure(reason); }

// The finger's path in moves of at most DragStep points.
void dragInSteps(ScrollView& scrollView, cg::Point translation) {
    double length = std::hypot(translation.x, translation.y);
    int steps = std::max(1, static_cast<int>(std::ceil(length / DragStep)));
    for (int i = 0; i < steps; ++i) scrollView.dragBy({translation.x / steps, translation.y / steps});
}

// Precondition of the scroll gestures: a finger can reach the scroll view.
void checkReachable(const ScrollViewRef& scrollView) {
    if (!scrollView) fail("no scroll view to scroll");
    auto window = scrollView->window();
    if (!window || window->isHidden()) fail(describe(scrollView.get()) + " is not in a shown window");
    for (const View* v = scrollView.get(); v; v = v->superview().get())
        if (v->isHidden() || v->alpha() < 0.01)
            fail(describe(scrollView.get()) + " cannot be scrolled: " + describe(v) + " is not shown");
    if (!scrollView->isScrollEnabled()) fail(describe(scrollView.get()) + " has scrolling turned off");
}

void settleScroll() { advance(ScrollView::DecelerationDuration); }

} // namespace

// --- Time ---

void drainMain() {
    auto& loop = ns::RunLoop::main();
    for (int i = 0; i < DrainLimit && loop.runOnce(0); ++i) {
    }
}

void advance(double seconds) {
    if (!ns::Clock::isManual()) {
        ns::RunLoop::main().runUntil([] { return false; }, seconds);
        return;
    }
    settleStep();
    bool reached = ns::Clock::advance(seconds, [] { settleStep(); });
    settleStep();
    if (!reached) fail("the clock stalled: a timer keeps falling due at the same instant");
}

void setSettle(std::function<void()> settle) { settleHook() = std::move(settle); }

// --- Touches ---

Outcome canTap(const ViewRef& view) {
    if (!view) return {false, "there is no view to tap"};
    std::string name = describe(view.get());
    auto window = view->window();
    if (!window) return {false, name + " is not in a window"};
    if (window->isHidden()) return {false, name + " is in a hidden window"};
    for (const View* v = view.get(); v; v = v->superview().get()) {
        std::string who = v == view.get() ? name : "its ancestor " + describe(v);
        if (v->isHidden()) return {false, name + " is hidden (" + who + " is hidden)"};
        if (v->alpha() < 0.01) return {false, name + " is transparent (" + who + " has alpha below 0.01)"};
        if (auto control = dynamic_cast<const Control*>(v); control && !control->isEnabled())
            return {false, name + " is disabled (" + who + " is a disabled control)"};
        if (v != view.get() && !v->isUserInteractionEnabled())
            return {false, name + " cannot be touched: " + who + " has user interaction off"};
    }
    cg::Point point = touchPoint(*view, *window);
    auto hit = window->hitTest(point, nullptr);
    if (!hit) return {false, name + " is outside the area of its window that takes touches"};
    if (hit == view || hit->isDescendantOfView(view.get())) return {};
    if (!view->isUserInteractionEnabled() && view->isDescendantOfView(hit.get())) return {};
    if (view->isDescendantOfView(hit.get()))
        return {false, name + " lies outside its superview's bounds; the touch reaches " + describe(hit.get())};
    return {false, name + " is covered by " + describe(hit.get())};
}

void tap(const ViewRef& view) {
    if (auto outcome = canTap(view); !outcome) fail("cannot tap: " + outcome.reason);
    auto window = view->window();
    cg::Point point = touchPoint(*view, *window);
    auto touch = window->beginTouch(point);
    if (touch) window->endTouch(touch, point);
}

ViewRef tapAt(const WindowRef& window, cg::Point point) {
    if (!window || window->isHidden()) fail("cannot tap: the window is not shown");
    auto touch = window->beginTouch(point);
    if (!touch) return nullptr;
    auto target = touch->view();
    window->endTouch(touch, point);
    return target;
}

void drag(const ViewRef& view, const std::vector<cg::Point>& points) {
    if (points.empty()) fail("a drag needs at least one point");
    if (auto outcome = canTap(view); !outcome) fail("cannot drag: " + outcome.reason);
    auto window = view->window();
    std::vector<cg::Point> inWindow;
    for (const auto& p : points) inWindow.push_back(view->convertPointToView(p, window.get()));
    auto hit = window->hitTest(inWindow.front(), nullptr);
    if (!hit || !(hit == view || hit->isDescendantOfView(view.get())))
        fail("cannot drag: the first point of the drag on " + describe(view.get()) + " reaches " + describe(hit.get()));
    auto touch = window->beginTouch(inWindow.front());
    if (!touch) fail("cannot drag: no view took the touch");
    for (size_t i = 1; i < inWindow.size(); ++i) window->moveTouch(touch, inWindow[i]);
    window->endTouch(touch, inWindow.back());
}

// --- Text ---

void focus(const ViewRef& input) {
    if (!input) fail("there is no text input to focus");
    if (input->isFirstResponder()) return;
    if (!input->window()) fail("cannot focus " + describe(input.get()) + ": it is not in a window");
    if (!input->becomeFirstResponder()) fail("cannot focus " + describe(input.get()) + ": it refused");
}

namespace {

// One key press per Unicode character.
std::vector<std::string> keyPresses(const std::string& text) {
    std::vector<std::string> keys;
    for (size_t i = 0; i < text.size();) {
        auto lead = static_cast<unsigned char>(text[i]);
        size_t n = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        n = std::min(n, text.size() - i);
        keys.push_back(text.substr(i, n));
        i += n;
    }
    return keys;
}

template <class Input> size_t typeInto(const ns::Ref<Input>& input, const std::string& text) {
    focus(input);
    size_t typed = 0;
    for (const auto& key : keyPresses(text))
        if (input->insertText(key)) ++typed;
    return typed;
}

} // namespace

size_t typeText(const TextFieldRef& field, const std::string& text) { return typeInto(field, text); }

size_t typeText(const TextViewRef& view, const std::string& text) { return typeInto(view, text); }

bool clearText(const TextFieldRef& field) {
    focus(field);
    field->setSelectedRange(ns::Range{0, ns::str::utf16Length(field->text())});
    if (field->selectedRange().length > 0) field->deleteBackward();
    return field->text().empty();
}

bool pressReturn(const TextFieldRef& field) {
    focus(field);
    return field->pressReturn();
}

bool pressReturn(const TextViewRef& view) {
    focus(view);
    return view->pressReturn();
}

bool endEditing(const ViewRef& view) { return view && view->endEditing(true); }

// --- Scrolling ---

void swipeToPage(const ScrollViewRef& scrollView, long page) {
    checkReachable(scrollView);
    if (!scrollView->isPagingEnabled()) fail(describe(scrollView.get()) + " is not a pager");
    double width = scrollView->bounds().size.width;
    double maxX = scrollView->maximumContentOffset().x;
    double target = std::clamp(page * width, scrollView->minimumContentOffset().x, maxX);
    double from = scrollView->contentOffset().x;
    // The finger lets go part of the way there, fast enough to carry the page over; a swipe to
    // the page already shown moves a little and springs back.
    double direction = target > from ? 1 : target < from ? -1 : 0;
    double released = direction == 0 ? from + std::min(10.0, width / 4) : target - direction * 0.4 * width;
    if (direction != 0 && std::abs(target - from) < 0.4 * width) released = (from + target) / 2;
    scrollView->beginTracking();
    dragInSteps(*scrollView, {from - released, 0});
    scrollView->endDragging({direction * SwipeVelocity, 0});
    settleScroll();
}

void pullDown(const ScrollViewRef& scrollView, double distance) {
    checkReachable(scrollView);
    if (!scrollView->isTracking()) scrollView->beginTracking();
    dragInSteps(*scrollView, {0, distance});
}

void release(const ScrollViewRef& scrollView) {
    if (!scrollView || !scrollView->isTracking()) fail("no finger is on the scroll view");
    scrollView->endDragging();
    settleScroll();
}

void scrollToEnd(const ScrollViewRef& scrollView) {
    checkReachable(scrollView);
    scrollView->beginTracking();
    double distance = scrollView->maximumContentOffset().y - scrollView->contentOffset().y;
    if (distance > 0) dragInSteps(*scrollView, {0, -distance});
    scrollView->endDragging();
    settleScroll();
}

// --- Tables ---

long rowCount(const TableViewRef& table, long section) { return table ? table->numberOfRows(section) : 0; }

double rowHeight(const TableViewRef& table, const IndexPath& indexPath) {
    if (!table) return 0;
    table->cellForRow(indexPath); // measures an automatic row that is in view
    return table->rectForRow(indexPath).size.height;
}

TableViewCellRef cell(const TableViewRef& table, const IndexPath& indexPath) {
    if (!table) fail("there is no table");
    if (indexPath.section < 0 || indexPath.section >= table->numberOfSections() || indexPath.row < 0 ||
        indexPath.row >= table->numberOfRows(indexPath.section))
        fail("the table has no row at " + indexPath.description());
    table->scrollToRow(indexPath, TableViewScrollPosition::None, false);
    auto found = table->cellForRow(indexPath);
    if (!found) fail("the row at " + indexPath.description() + " has no cell in view");
    return found;
}

void selectRow(const TableViewRef& table, const IndexPath& indexPath) {
    auto row = cell(table, indexPath);
    if (auto outcome = canTap(row); !outcome) fail("cannot select the row: " + outcome.reason);
    table->userSelectRow(indexPath);
}

// --- Finding views ---

LabelRef findLabel(const ViewRef& root, const std::string& text) {
    return find<Label>(root, [&](const Label& label) { return label.text() == text; });
}

ButtonRef findButton(const ViewRef& root, const std::string& title) {
    return find<Button>(root, [&](const Button& button) { return button.currentTitle() == title; });
}

ViewRef findByAccessibilityId(const ViewRef& root, const std::string& identifier) {
    return find<View>(root, [&](const View& view) { return view.accessibilityIdentifier() == identifier; });
}

ViewRef findByTag(const ViewRef& root, long tag) { return root ? root->viewWithTag(tag) : nullptr; }

// --- Controllers ---

std::vector<ViewControllerRef> presentationChain(const WindowRef& window) {
    std::vector<ViewControllerRef> chain;
    if (!window || !window->rootViewController()) return chain;
    chain.push_back(window->rootViewController());
    while (auto next = chain.back()->presentedViewController()) {
        if (std::find(chain.begin(), chain.end(), next) != chain.end()) break;
        chain.push_back(next);
    }
    return chain;
}

ViewControllerRef topViewController(const WindowRef& window) {
    auto chain = presentationChain(window);
    return chain.empty() ? nullptr : chain.back();
}

std::vector<ViewControllerRef> shownRootControllers(const WindowRef& except) {
    std::vector<ViewControllerRef> roots;
    for (const auto& window : Application::shared().windows()) {
        if (window == except || window->isHidden()) continue;
        ViewControllerRef root = window->rootViewController();
        if (auto nav = std::dynamic_pointer_cast<NavigationController>(root); nav && !nav->viewControllers().empty())
            root = nav->viewControllers()[0];
        if (root) roots.push_back(root);
    }
    return roots;
}

ViewControllerRef visibleViewController(const WindowRef& window) {
    auto controller = topViewController(window);
    for (int depth = 0; controller && depth < 64; ++depth) {
        ViewControllerRef inner;
        if (auto navigation = ns::as<NavigationController>(controller)) inner = navigation->topViewController();
        else if (auto tabs = ns::as<TabBarController>(controller)) inner = tabs->selectedViewController();
        if (!inner) break;
        controller = inner;
    }
    return controller;
}

std::vector<ViewControllerRef> navigationStack(const ns::Ref<NavigationController>& navigation) {
    return navigation ? navigation->viewControllers() : std::vector<ViewControllerRef>{};
}

AlertControllerRef presentedAlert(const WindowRef& window) {
    auto chain = presentationChain(window);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        if (auto alert = ns::as<AlertController>(*it)) return alert;
    return nullptr;
}

void tapAlertAction(const AlertControllerRef& alert, const std::string& title) {
    if (!alert) fail("there is no alert to answer");
    std::string titles;
    for (const auto& action : alert->actions()) {
        if (action->title() != title) {
            titles += (titles.empty() ? "" : ", ") + action->title().value_or("(no title)");
            continue;
        }
        if (!action->isEnabled()) fail("the alert's action \"" + title + "\" is disabled");
        alert->tapAction(action);
        return;
    }
    fail("the alert has no action \"" + title + "\" (it has: " + titles + ")");
}

size_t typeIntoAlertField(const AlertControllerRef& alert, size_t index, const std::string& text) {
    if (!alert || index >= alert->textFields().size()) fail("the alert has no text field " + std::to_string(index));
    return typeText(alert->textFields()[index], text);
}

void selectTab(const TabBarControllerRef& tabBarController, size_t index) {
    if (!tabBarController) fail("there is no tab bar controller");
    tabBarController->loadViewIfNeeded();
    const auto& buttons = tabBarController->tabBar()->itemButtons();
    if (index >= buttons.size())
        fail("the tab bar has no tab " + std::to_string(index) + " (it has " + std::to_string(buttons.size()) + ")");
    tap(buttons[index]);
}

// --- Web views ---

void finishLoad(const WebViewRef& webView) {
    if (!webView || !webView->isLoading()) fail("the web view is not loading");
    webView->finishLoading();
}

void failLoad(const WebViewRef& webView, const ns::Ref<ns::Error>& error) {
    if (!webView || !webView->isLoading()) fail("the web view is not loading");
    webView->failLoading(error);
}

bool navigate(const WebViewRef& webView, const std::string& url, WebViewNavigationType type) {
    if (!webView) fail("there is no web view");
    return webView->navigate(ns::URL::fromString(url), type);
}

ns::Ref<ns::URLRequest> lastRequest(const WebViewRef& webView) {
    if (!webView || webView->loadedRequests().empty()) return nullptr;
    return webView->loadedRequests().back();
}

void tapLink(const WebViewRef& webView, const std::string& text) {
    if (!webView) fail("there is no web view");
    auto page = webView->page();
    if (!page) fail("the web view shows no page");
    std::optional<cg::Rect> box;
    for (const auto& link : page->links())
        if (!link.boxes.empty() && ns::str::contains(link.text, text)) {
            box = link.boxes.front();
            break;
        }
    if (!box) fail("the page has no link \"" + text + "\"");
    // Drag the page until the link lies between the bars (what covers the view insets its page).
    auto scroll = webView->scrollView();
    cg::Rect shown = scroll->bounds();
    EdgeInsets inset = scroll->contentInset();
    double top = shown.origin.y + inset.top, bottom = cg::RectGetMaxY(shown) - inset.bottom;
    double move = box->origin.y < top ? box->origin.y - top : cg::RectGetMaxY(*box) > bottom ? cg::RectGetMaxY(*box) - bottom : 0;
    if (move != 0) {
        checkReachable(scroll);
        scroll->beginTracking();
        dragInSteps(*scroll, {0, -move});
        scroll->endDragging();
        settleScroll();
    }
    auto window = scroll->window();
    if (!window || window->isHidden()) fail("cannot tap the link \"" + text + "\": the web view is not in a shown window");
    cg::Point at = scroll->convertPointToView({cg::RectGetMidX(*box), cg::RectGetMidY(*box)}, window.get());
    auto hit = window->hitTest(at, nullptr);
    if (hit != scroll)
        fail("cannot tap the link \"" + text + "\": " + (hit ? "it is covered by " + describe(hit.get()) : "nothing takes a touch there"));
    tapAt(window, at);
}

// --- The application and the device ---

bool deliverOpenURL(const std::string& url, const std::optional<std::string>& sourceApplication) {
    return Application::shared().deliverOpenURL(ns::URL::fromString(url), sourceApplication);
}

void becomeActive() { Application::shared().becomeActive(); }

void resignActive() { Application::shared().resignActive(); }

void enterBackground() { Application::shared().enterBackground(); }

void memoryWarning() { Application::shared().receiveMemoryWarning(); }

void useProfile(const DeviceProfile& profile) {
    cg::Rect before = Screen::mainScreen().bounds();
    DeviceProfile::use(profile);
    cg::Rect after = Screen::mainScreen().bounds();
    for (const auto& window : Application::shared().windows()) {
        if (window->frame() == before) window->setFrame(after);
        window->setNeedsLayout();
    }
    drainMain();
}

// --- Pictures ---

void capture(const WindowRef& window, const std::string& path) {
    if (!window) fail("there is no window to capture");
    if (!captureWindowPNG(window, path)) fail("the window could not be written to " + path);
}

} // namespace ui::driver
