#pragma once
// Using the UI like a person: tapping what is on screen (hit-tested), dragging, typing through the
// text delegates, swiping pagers and pulling lists, picking rows, answering alerts, switching tabs,
// driving web views, and the things a phone does to an app (an open-URL from another app, memory
// warnings, going to the background, a different device). Tests and the demo both walk screens
// with it. A step that a person could not take throws driver::Failure with the reason.
//
// Gestures take the clock time a finger would: a swipe, a pull's release and a scroll to the end
// advance the clock by the scroll view's deceleration time, so their callbacks have arrived when
// the call returns. Everything else happens at once; advance() moves time on.

#include "os/foundation/URL.h"
#include "os/uikit/AlertController.h"
#include "os/uikit/DeviceProfile.h"
#include "os/uikit/NavigationController.h"
#include "os/uikit/ScrollView.h"
#include "os/uikit/TabBarController.h"
#include "os/uikit/TableView.h"
#include "os/uikit/TextField.h"
#include "os/uikit/TextView.h"
#include "os/uikit/WebView.h"
#include "os/uikit/Window.h"

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace ui::driver {

class Failure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Whether a step can be taken, and why not.
struct Outcome {
    bool ok = true;
    std::string reason;
    explicit operator bool() const { return ok; }
};

// --- Time ---
// Runs what is ready on the main run loop (main queue, layout passes, display) without moving time.
void drainMain();
// Manual clock: moves it forward, draining the main run loop after every item that falls due
// (fails when the clock stalls). Real clock: runs the main run loop for that long.
void advance(double seconds);
// Replaces the draining that advance() does before, between and after the items that fall due:
// a host whose background work (network replies) must land before time moves on waits for it
// there. An empty function restores plain draining.
void setSettle(std::function<void()> settle);

// --- Touches ---
// Whether a tap reaches the view. The finger lands on the centre of the part of the view that lies
// on its window (a button docked half off screen is tapped on its visible half). The view must be
// in a shown window, it and its ancestors shown and not transparent, no enclosing control
// disabled, no ancestor refusing touches, and the point not covered by another view. A view that
// itself takes no touches (a label) may be tapped when the touch falls through to one of its ancestors.
Outcome canTap(const ViewRef& view);
// Taps the view there (touch down and up in its window), or throws with canTap's reason.
void tap(const ViewRef& view);
// Taps a point of the window; answers the view the touch went to (none when nothing took it).
ViewRef tapAt(const WindowRef& window, cg::Point point);
// A finger put down at the first point (in the view's coordinates), moved through the others and
// lifted at the last. The first point must reach the view or one of its subviews.
void drag(const ViewRef& view, const std::vector<cg::Point>& points);

// --- Text ---
// Makes the field or text view the first responder (through its delegate); throws when refused.
void focus(const ViewRef& input);
// Focuses, then types one key press per character at the caret, each offered to the delegate
// with its UTF-16 range. Answers how many characters went in.
size_t typeText(const TextFieldRef& field, const std::string& text);
size_t typeText(const TextViewRef& view, const std::string& text);
// Focuses, selects all the text and deletes it (offered to the delegate as one replacement).
// Answers whether the field is empty afterwards.
bool clearText(const TextFieldRef& field);
// The return key: a field follows its rule (offers "\n", then asks shouldReturn); a text view
// types "\n". Answers whether it was accepted.
bool pressReturn(const TextFieldRef& field);
bool pressReturn(const TextViewRef& view);
// Ends editing in the view's tree (as a tap outside the field does).
bool endEditing(const ViewRef& view);

// --- Scrolling ---
// A horizontal swipe that comes to rest on the page (0-based): willBeginDragging, didScroll,
// didEndDragging(willDecelerate YES), then didEndDecelerating after the deceleration time.
void swipeToPage(const ScrollViewRef& scrollView, long page);
// The finger pulls the content down by `distance` points and stays down (didScroll per 10 points).
void pullDown(const ScrollViewRef& scrollView, double distance);
// The finger lifts; the content settles (deceleration time).
void release(const ScrollViewRef& scrollView);
// Drags up until the end of the content shows, then lifts.
void scrollToEnd(const ScrollViewRef& scrollView);

// --- Tables ---
long rowCount(const TableViewRef& table, long section);
double rowHeight(const TableViewRef& table, const IndexPath& indexPath);
// Scrolls the row into view and answers its cell, filled by the data source; throws when the row
// does not exist.
TableViewCellRef cell(const TableViewRef& table, const IndexPath& indexPath);
template <class T> ns::Ref<T> cell(const TableViewRef& table, const IndexPath& indexPath) {
    auto found = std::dynamic_pointer_cast<T>(cell(table, indexPath));
    if (!found) throw Failure("the cell at " + indexPath.description() + " is not of the expected class");
    return found;
}
// Scrolls the row into view and taps it (didDeselectRow of the previous row, didSelectRow).
void selectRow(const TableViewRef& table, const IndexPath& indexPath);

// --- Finding views (depth first, the root included, hidden views included) ---
template <class T = View>
std::vector<ns::Ref<T>> findAll(const ViewRef& root, const std::function<bool(const T&)>& predicate = {}) {
    std::vector<ns::Ref<T>> found;
    std::function<void(const ViewRef&)> walk = [&](const ViewRef& view) {
        if (auto typed = std::dynamic_pointer_cast<T>(view); typed && (!predicate || predicate(*typed)))
            found.push_back(typed);
        for (const auto& sub : view->subviews()) walk(sub);
    };
    if (root) walk(root);
    return found;
}
template <class T = View> ns::Ref<T> find(const ViewRef& root, const std::function<bool(const T&)>& predicate = {}) {
    auto all = findAll<T>(root, predicate);
    return all.empty() ? nullptr : all.front();
}
LabelRef findLabel(const ViewRef& root, const std::string& text);
// By the button's current title.
ButtonRef findButton(const ViewRef& root, const std::string& title);
ViewRef findByAccessibilityId(const ViewRef& root, const std::string& identifier);
ViewRef findByTag(const ViewRef& root, long tag);

// --- Controllers ---
// The window's root controller, then each controller presented over the one before.
std::vector<ViewControllerRef> presentationChain(const WindowRef& window);
ViewControllerRef topViewController(const WindowRef& window);
// The top controller, followed into navigation (top of the stack) and tab (selected tab) containers.
ViewControllerRef visibleViewController(const WindowRef& window);
std::vector<ViewControllerRef> navigationStack(const ns::Ref<NavigationController>& navigation);
// The root controller of each shown window but `except` (for a navigation controller, the bottom of
// its stack), back to front; and the first of them that is a T: a screen a call put up over the game.
std::vector<ViewControllerRef> shownRootControllers(const WindowRef& except = nullptr);
template <class T> ns::Ref<T> shownRootController(const WindowRef& except = nullptr) {
    for (const auto& controller : shownRootControllers(except))
        if (auto match = std::dynamic_pointer_cast<T>(controller)) return match;
    return nullptr;
}
// The topmost alert presented in the window, or none.
AlertControllerRef presentedAlert(const WindowRef& window);
// Taps the action with the title: the alert is dismissed and the handler runs when that ends.
void tapAlertAction(const AlertControllerRef& alert, const std::string& title);
size_t typeIntoAlertField(const AlertControllerRef& alert, size_t index, const std::string& text);
// Taps the tab's item in the tab bar.
void selectTab(const TabBarControllerRef& tabBarController, size_t index);

// --- Web views ---
void finishLoad(const WebViewRef& webView);
void failLoad(const WebViewRef& webView, const ns::Ref<ns::Error>& error = nullptr);
// A link followed inside the page; answers whether the delegate let it load.
bool navigate(const WebViewRef& webView, const std::string& url,
              WebViewNavigationType type = WebViewNavigationType::LinkClicked);
ns::Ref<ns::URLRequest> lastRequest(const WebViewRef& webView);
// Taps the first link of the page whose text contains `text`, where the page draws it, after
// dragging the page until the link is clear of the bars when it is not; throws when the page has
// no such link or the touch would not reach it.
void tapLink(const WebViewRef& webView, const std::string& text);

// --- The application and the device ---
bool deliverOpenURL(const std::string& url, const std::optional<std::string>& sourceApplication = std::nullopt);
void becomeActive();
void resignActive();
void enterBackground();
void memoryWarning();
// Switches the device; windows that filled the old screen are resized to the new one.
void useProfile(const DeviceProfile& profile);

// --- Pictures ---
// The window rendered at the screen's scale into a PNG file.
void capture(const WindowRef& window, const std::string& path);

} // namespace ui::driver
