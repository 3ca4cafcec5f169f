#pragma once
// A web view in the older platform style: it loads requests, asks its delegate (held weakly)
// before every navigation — loads made in code included — and reports start, finish and failure.
// A page that finished loading is laid out at the view's width and drawn (wk::Page: no scripts
// run), and scrolls in the view's scroll view, whose content is as tall as the page. A tap on a
// link asks the delegate with the link-clicked type and the link's absolute address, and loads it
// when allowed. A new page, a going back or forward and a change of width lay the page out again;
// a failed load keeps the page shown. Under a navigation bar or over a tab bar (or the window's
// safe area) the page is inset so that its top and end can be read.
//
// Loading: a request without a URL loads nothing and calls no one. Otherwise the delegate's
// shouldStartLoad is asked at once; when it allows, a load still running is cancelled (its
// delegate hears didFailLoad with NSURLErrorCancelled), the request is recorded, and didStartLoad
// follows at once. How the load ends depends on the load mode:
//  - Manual: when the test calls finishLoading or failLoading (the default);
//  - AutoFinish: finished on the next main-queue turn;
//  - Fetch: http(s) pages are fetched with the shared URL session (a transport error fails the
//    load, any HTTP status finishes it), HTML strings and about: pages finish on the next
//    main-queue turn, other schemes fail with NSURLErrorUnsupportedURL.
// stopLoading ends a load without telling the delegate.
//
// History: a finished load of a new page drops the pages ahead and becomes the current page;
// goBack, goForward and reload ask the delegate (back-forward and reload types) and, once
// finished, move within the list; a failed load leaves the list as it was.

#include "os/foundation/Data.h"
#include "os/foundation/Error.h"
#include "os/net/URLRequest.h"
#include "os/net/URLResponse.h"
#include "os/uikit/ScrollView.h"
#include "os/uikit/View.h"
#include "os/web/Page.h"

#include <optional>
#include <string>
#include <vector>

namespace ns { class URLSessionDataTask; }

namespace ui {

class WebView;
using WebViewRef = ns::Ref<WebView>;

enum class WebViewNavigationType : int {
    LinkClicked = 0, FormSubmitted = 1, BackForward = 2, Reload = 3, FormResubmitted = 4, Other = 5,
};

class WebViewDelegate {
public:
    virtual ~WebViewDelegate() = default;
    virtual bool shouldStartLoad(const WebViewRef& /*webView*/, const ns::Ref<ns::URLRequest>& /*request*/,
                                 WebViewNavigationType /*navigationType*/) {
        return true;
    }
    virtual void didStartLoad(const WebViewRef& /*webView*/) {}
    virtual void didFinishLoad(const WebViewRef& /*webView*/) {}
    virtual void didFailLoad(const WebViewRef& /*webView*/, const ns::Ref<ns::Error>& /*error*/) {}
};

class WebView : public View {
public:
    enum class LoadMode { Manual, AutoFinish, Fetch };
    // The mode of web views made from now on (reset to Manual between tests).
    static void setDefaultLoadMode(LoadMode mode);
    static LoadMode defaultLoadMode();

    void initWithFrame(cg::Rect frame) override;

    ns::Weak<WebViewDelegate> delegate() const { return delegate_; }
    void setDelegate(ns::Weak<WebViewDelegate> delegate) { delegate_ = std::move(delegate); }
    LoadMode loadMode() const { return mode_; }
    void setLoadMode(LoadMode mode) { mode_ = mode; }
    bool scalesPageToFit() const { return scalesPageToFit_; }
    void setScalesPageToFit(bool scales) { scalesPageToFit_ = scales; }

    // --- Loading ---
    void loadRequest(const ns::Ref<ns::URLRequest>& request);
    // The page is the text; its address is the base URL (about:blank without one).
    void loadHTMLString(const std::string& html, const ns::Ref<ns::URL>& baseURL);
    // The request loading now, else the current page's.
    ns::Ref<ns::URLRequest> request() const;
    bool isLoading() const { return loading_.has_value(); }
    void stopLoading();
    void reload();

    // --- History ---
    bool canGoBack() const { return index_ > 0; }
    bool canGoForward() const { return index_ >= 0 && static_cast<size_t>(index_ + 1) < history_.size(); }
    void goBack();
    void goForward();
    // The pages in order and the current one's index (-1 when none).
    const std::vector<ns::Ref<ns::URLRequest>>& backForwardList() const { return history_; }
    long backForwardIndex() const { return index_; }

    // --- The current page ---
    // Bytes of the page: fetched, or the HTML string as UTF-8; none otherwise.
    ns::DataRef pageData() const { return pageData_; }
    ns::Ref<ns::URLResponse> response() const { return response_; }
    // The page shown, laid out at the view's width; none before the first load finished.
    wk::PageRef page() const { return page_; }
    // The view the page scrolls in (its content size is the page's).
    ScrollViewRef scrollView() const { return scrollView_; }

    // --- What a person or a test does ---
    // A link followed inside the page: asks the delegate with the type; loads when allowed.
    bool navigate(const ns::Ref<ns::URL>& url, WebViewNavigationType type = WebViewNavigationType::LinkClicked);
    // Ends the running load (nothing without one).
    void finishLoading();
    void failLoading(const ns::Ref<ns::Error>& error);
    // Every request that started loading, as sent (URL, method, header fields, time-out, cache policy).
    const std::vector<ns::Ref<ns::URLRequest>>& loadedRequests() const { return loaded_; }

    void layoutSubviews() override;
    ~WebView() override;

private:
    enum class Kind { NewPage, History, Reload };
    struct Load {
        ns::Ref<ns::URLRequest> request;
        Kind kind = Kind::NewPage;
        long target = -1; // history index for History loads
        std::optional<std::string> html;
        ns::Ref<ns::URLSessionDataTask> task;
        unsigned long generation = 0;
    };

    ns::Ref<WebViewDelegate> liveDelegate() const { return delegate_.lock(); }
    bool start(const ns::Ref<ns::URLRequest>& request, WebViewNavigationType type, Kind kind, long target,
               std::optional<std::string> html = std::nullopt);
    void run(Load& load);
    void complete(unsigned long generation, ns::DataRef data, ns::Ref<ns::URLResponse> response,
                  ns::Ref<ns::Error> error);
    void cancelRunning(bool tellDelegate);
    friend class WebPageScrollView;
    void showPage(const ns::Ref<ns::URLRequest>& request);
    void layoutPage(bool toTop);
    void followLink(cg::Point point);
    EdgeInsets coveredInsets() const;

    ns::Weak<WebViewDelegate> delegate_;
    LoadMode mode_ = LoadMode::Manual;
    bool scalesPageToFit_ = false;
    std::optional<Load> loading_;
    unsigned long generation_ = 0;
    std::vector<ns::Ref<ns::URLRequest>> history_;
    long index_ = -1;
    std::vector<ns::Ref<ns::URLRequest>> loaded_;
    ns::DataRef pageData_;
    ns::Ref<ns::URLResponse> response_;
    wk::PageRef page_;
    ScrollViewRef scrollView_;
};

} // namespace ui
