#include "os/uikit/WebView.h"

#include "os/dispatch/Queue.h"
#include "os/foundation/ResetRegistry.h"
#include "os/foundation/Strings.h"
#include "os/net/URLSession.h"
#include "os/uikit/Graphics.h"
#include "os/uikit/NavigationController.h"
#include "os/uikit/TabBarController.h"
#include "os/uikit/Window.h"

#include <algorithm>
#include <cmath>

namespace ui {

// The scroll view a page is drawn in: it draws the part of the page it shows, and a tap that did
// not scroll follows the link under the finger.
class WebPageScrollView : public ScrollView {
public:
    ns::Weak<WebView> owner;

    void drawRect(cg::Rect) override {
        auto web = owner.lock();
        cg::Context* context = GraphicsGetCurrentContext();
        if (!web || !web->page_ || !context) return;
        if (web->page_->needsLayout(viewport(*web))) web->layoutPage(false);
        cg::Rect shown = bounds();
        context->SaveGState();
        // The page's colour reaches past its end and under the bars, as the canvas does.
        if (auto colour = web->page_->backgroundColor()) {
            context->SetFillColor(*colour);
            context->FillRect(cg::RectMake(0, 0, shown.size.width, shown.size.height));
        }
        context->TranslateCTM(-shown.origin.x, -shown.origin.y);
        web->page_->draw(*context, shown);
        context->RestoreGState();
    }

    void touchesEnded(const TouchSet& touches, const EventRef& event) override {
        bool moved = isScrollEnabled() && touchesMovedContent();
        ScrollView::touchesEnded(touches, event);
        if (moved || touches.empty()) return;
        if (auto web = owner.lock()) web->followLink(touches.front()->locationInView(ref<View>()));
    }

    // What lines fill: the view's bounds less what bars cover.
    static cg::Size viewport(const WebView& web) {
        EdgeInsets inset = web.scrollView_->contentInset();
        cg::Size size = web.bounds().size;
        return {std::max(0.0, size.width - inset.left - inset.right), std::max(0.0, size.height - inset.top - inset.bottom)};
    }
};

namespace {

WebView::LoadMode& defaultMode() {
    static WebView::LoadMode mode = WebView::LoadMode::Manual;
    return mode;
}

ns::Ref<ns::Error> urlError(long code, const ns::Ref<ns::URL>& url, const std::string& description) {
    ns::Dictionary info{{ns::LocalizedDescriptionKey, description}};
    if (url) info.set(ns::URLErrorFailingURLStringKey, url->absoluteString());
    return ns::Error::make(ns::URLErrorDomain, code, std::move(info));
}

} // namespace

void WebView::setDefaultLoadMode(LoadMode mode) {
    static bool registered = [] {
        ns::ResetRegistry::add("ui::WebView", [] { defaultMode() = LoadMode::Manual; });
        return true;
    }();
    (void)registered;
    defaultMode() = mode;
}

WebView::LoadMode WebView::defaultLoadMode() { return defaultMode(); }

void WebView::initWithFrame(cg::Rect frame) {
    View::initWithFrame(frame);
    mode_ = defaultMode();
    setBackgroundColor(Color::whiteColor());
    auto scroll = View::create<WebPageScrollView>(bounds());
    scroll->owner = ref<WebView>();
    scrollView_ = scroll;
    addSubview(scrollView_);
}

WebView::~WebView() {
    if (loading_ && loading_->task) loading_->task->cancel();
}

// --- The page ---

void WebView::layoutSubviews() {
    View::layoutSubviews();
    layoutPage(false);
}

void WebView::showPage(const ns::Ref<ns::URLRequest>& request) {
    auto url = response_ && response_->url() ? response_->url() : request->url();
    page_ = wk::Page::make(pageData_, response_ ? response_->textEncodingName() : std::nullopt, url);
    ns::Weak<WebView> weak = ref<WebView>();
    ns::Weak<wk::Page> shown = page_;
    page_->setPictureArrived([weak, shown] {
        auto self = weak.lock();
        if (self && self->page_ == shown.lock()) self->layoutPage(false);
    });
    layoutPage(true);
}

void WebView::layoutPage(bool toTop) {
    scrollView_->setFrame(bounds());
    EdgeInsets old = scrollView_->contentInset();
    bool atTop = scrollView_->contentOffset().y <= scrollView_->minimumContentOffset().y + 0.5;
    EdgeInsets covered = coveredInsets();
    if (!(covered == old)) scrollView_->setContentInset(covered);
    cg::Size viewport = WebPageScrollView::viewport(*this);
    cg::Size size = page_ && viewport.width > 0 ? page_->layout(viewport) : cg::SizeZero;
    if (!(scrollView_->contentSize() == size)) scrollView_->setContentSize(size);
    cg::Point offset = scrollView_->contentOffset();
    cg::Point wanted = toTop || atTop ? scrollView_->minimumContentOffset() : scrollView_->clampedOffset(offset);
    if (!(wanted == offset)) scrollView_->setContentOffset(wanted);
    scrollView_->setNeedsDisplay();
}

void WebView::followLink(cg::Point point) {
    if (!page_) return;
    if (auto url = page_->linkAt(point)) navigate(url, WebViewNavigationType::LinkClicked);
}

// How far the bars of the controllers this view is shown in (and the window's safe area) reach
// over it, as the page's scroll view is inset on the platform.
EdgeInsets WebView::coveredInsets() const {
    EdgeInsets covered;
    auto w = window();
    if (!w) return covered;
    cg::Rect mine = convertRectToView(bounds(), w.get());
    auto reach = [&](const ViewRef& bar, bool top) {
        if (!bar || bar->isHidden() || !bar->window()) return;
        cg::Rect r = bar->convertRectToView(bar->bounds(), w.get());
        if (cg::RectGetMaxX(r) <= mine.origin.x || r.origin.x >= cg::RectGetMaxX(mine)) return;
        if (top) covered.top = std::max(covered.top, cg::RectGetMaxY(r) - mine.origin.y);
        else covered.bottom = std::max(covered.bottom, cg::RectGetMaxY(mine) - r.origin.y);
    };
    for (const View* v = this; v; v = v->superview().get()) {
        for (auto c = v->viewController(); c; c = c->parentViewController()) {
            if (auto nav = std::dynamic_pointer_cast<NavigationController>(c)) reach(nav->navigationBar(), true);
            if (auto tabs = std::dynamic_pointer_cast<TabBarController>(c)) reach(tabs->tabBar(), false);
        }
    }
    EdgeInsets safe = w->safeAreaInsets();
    cg::Rect wb = w->bounds();
    covered.top = std::max(covered.top, safe.top - mine.origin.y);
    covered.bottom = std::max(covered.bottom, cg::RectGetMaxY(mine) - (cg::RectGetMaxY(wb) - safe.bottom));
    double height = mine.size.height;
    covered.top = std::clamp(covered.top, 0.0, height);
    covered.bottom = std::clamp(covered.bottom, 0.0, std::max(0.0, height - covered.top));
    return covered;
}

ns::Ref<ns::URLRequest> WebView::request() const {
    if (loading_) return loading_->request;
    return index_ >= 0 ? history_[static_cast<size_t>(index_)] : nullptr;
}

// --- Loading ---

void WebView::loadRequest(const ns::Ref<ns::URLRequest>& request) {
    if (!request || !request->url()) return;
    start(request->copy(), WebViewNavigationType::Other, Kind::NewPage, -1);
}

void WebView::loadHTMLString(const std::string& html, const ns::Ref<ns::URL>& baseURL) {
    auto url = baseURL ? baseURL : ns::URL::fromString("about:blank");
    start(ns::URLRequest::requestWithURL(url), WebViewNavigationType::Other, Kind::NewPage, -1, html);
}

bool WebView::navigate(const ns::Ref<ns::URL>& url, WebViewNavigationType type) {
    if (!url) return false;
    return start(ns::URLRequest::requestWithURL(url), type, Kind::NewPage, -1);
}

void WebView::reload() {
    auto current = index_ >= 0 ? history_[static_cast<size_t>(index_)] : nullptr;
    if (current) start(current->copy(), WebViewNavigationType::Reload, Kind::Reload, index_);
}

void WebView::goBack() {
    if (canGoBack())
        start(history_[static_cast<size_t>(index_ - 1)]->copy(), WebViewNavigationType::BackForward, Kind::History,
              index_ - 1);
}

void WebView::goForward() {
    if (canGoForward())
        start(history_[static_cast<size_t>(index_ + 1)]->copy(), WebViewNavigationType::BackForward, Kind::History,
              index_ + 1);
}

bool WebView::start(const ns::Ref<ns::URLRequest>& request, WebViewNavigationType type, Kind kind, long target,
                    std::optional<std::string> html) {
    WebViewRef self = ref<WebView>();
    if (auto d = liveDelegate(); d && !d->shouldStartLoad(self, request, type)) return false;
    cancelRunning(true);
    loaded_.push_back(request);
    Load load;
    load.request = request;
    load.kind = kind;
    load.target = target;
    load.html = std::move(html);
    load.generation = ++generation_;
    loading_ = std::move(load);
    unsigned long generation = generation_;
    if (auto d = liveDelegate()) d->didStartLoad(self);
    // The delegate may have started another load or stopped this one.
    if (loading_ && loading_->generation == generation) run(*loading_);
    return true;
}

void WebView::run(Load& load) {
    unsigned long generation = load.generation;
    ns::Weak<WebView> weak = ref<WebView>();
    auto later = [weak, generation](ns::DataRef data, ns::Ref<ns::Error> error) {
        dispatch::async(dispatch::Queue::main(), [weak, generation, data, error] {
            if (auto self = weak.lock()) self->complete(generation, data, nullptr, error);
        });
    };
    ns::DataRef html = load.html ? ns::Data::fromString(*load.html) : nullptr;
    if (mode_ == LoadMode::Manual) return;
    if (mode_ == LoadMode::AutoFinish) return later(html, nullptr);

    const auto& url = load.request->url();
    std::string scheme = ns::str::lowercase(url->scheme().value_or(""));
    if (html || scheme == "about") return later(html, nullptr);
    if (scheme != "http" && scheme != "https")
        return later(nullptr, urlError(ns::URLErrorUnsupportedURL, url, "unsupported URL"));
    load.task = ns::URLSession::sharedSession()->dataTask(
        load.request, [weak, generation](const ns::DataRef& data, const ns::Ref<ns::URLResponse>& response,
                                         const ns::Ref<ns::Error>& error) {
            dispatch::async(dispatch::Queue::main(), [weak, generation, data, response, error] {
                if (auto self = weak.lock()) self->complete(generation, data, response, error);
            });
        });
    load.task->resume();
}

void WebView::complete(unsigned long generation, ns::DataRef data, ns::Ref<ns::URLResponse> response,
                       ns::Ref<ns::Error> error) {
    if (!loading_ || loading_->generation != generation) return;
    WebViewRef self = ref<WebView>();
    Load load = std::move(*loading_);
    loading_.reset();
    if (error) {
        if (auto d = liveDelegate()) d->didFailLoad(self, error);
        return;
    }
    switch (load.kind) {
    case Kind::NewPage:
        if (index_ + 1 < static_cast<long>(history_.size())) history_.resize(static_cast<size_t>(index_ + 1));
        history_.push_back(load.request);
        index_ = static_cast<long>(history_.size()) - 1;
        break;
    case Kind::History:
    case Kind::Reload:
        if (load.target >= 0 && load.target < static_cast<long>(history_.size())) index_ = load.target;
        break;
    }
    pageData_ = data ? data : (load.html ? ns::Data::fromString(*load.html) : nullptr);
    response_ = response;
    showPage(load.request);
    if (auto d = liveDelegate()) d->didFinishLoad(self);
}

void WebView::finishLoading() {
    if (!loading_) return;
    ns::DataRef html = loading_->html ? ns::Data::fromString(*loading_->html) : nullptr;
    complete(loading_->generation, html, nullptr, nullptr);
}

void WebView::failLoading(const ns::Ref<ns::Error>& error) {
    if (!loading_) return;
    auto failure = error ? error : urlError(ns::URLErrorUnknown, loading_->request->url(), "the page failed to load");
    complete(loading_->generation, nullptr, nullptr, failure);
}

void WebView::cancelRunning(bool tellDelegate) {
    if (!loading_) return;
    Load load = std::move(*loading_);
    loading_.reset();
    if (load.task) load.task->cancel();
    if (!tellDelegate) return;
    if (auto d = liveDelegate())
        d->didFailLoad(ref<WebView>(), urlError(ns::URLErrorCancelled, load.request->url(), "cancelled"));
}

void WebView::stopLoading() { cancelRunning(false); }

} // namespace ui
