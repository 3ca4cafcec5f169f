#pragma once
// Replies that go wrong, given one at a time to a request a screen sends while the player drives it.
// A case names the fault, the reply the stand-in gives, the toast the player must see ("" for none)
// and the screen's state afterwards ("" for unchanged).

#include "os/uikit/Application.h"
#include "os/uikit/Driver.h"
#include "os/uikit/Label.h"
#include "platform_sdk/CXRSdpNetTool.h"
#include "platform_sdk/NetWorkManager.h"
#include "platform_sdk/user_center/VXRefreshViewController.h"
#include "server/PlatformServer.h"
#include "widgets/UIScrollView+VXRefresh.h"

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <string>
#include <vector>

namespace vx::test::faults {

using Scripted = vx::server::PlatformServer::Scripted;

struct Case {
    std::string fault;
    Scripted reply;
    std::string toast;
    std::string after;
};

inline Scripted jsonReply(std::string json) {
    Scripted s;
    s.jsonText = std::move(json);
    s.contentType = "application/json";
    return s;
}

// The three ways a reply can fail to arrive or to read; every one shows `toast` and keeps the screen.
inline std::vector<Case> unreachable(const std::string& toast, const std::string& unreadableToast) {
    Scripted none;
    none.drop = true;
    Scripted page;
    page.status = 200;
    page.rawBody = "<html><body>502 Bad Gateway</body></html>";
    Scripted empty;
    empty.status = 200;
    empty.rawBody = "";
    empty.contentType = "application/json";
    return {{"no connection", none, toast, ""},
            {"non-JSON body", page, unreadableToast, ""},
            {"empty body", empty, unreadableToast, ""}};
}
inline std::vector<Case> unreachable(const std::string& toast) { return unreachable(toast, toast); }

inline Case refused(const std::string& json, const std::string& toast, const std::string& after = "") {
    return {"refusal", jsonReply(json), toast, after};
}
inline Case wrong(const std::string& fault, const std::string& json, const std::string& toast,
                  const std::string& after = "") {
    return {fault, jsonReply(json), toast, after};
}

template <class T> std::vector<T> operator+(std::vector<T> a, const std::vector<T>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// One request of a screen: how to open the screen, send the request as the player does, read what
// the player sees, and (after a case that changed it) put the screen back.
template <class Fixture> struct Request {
    std::string name;
    std::string path;
    std::function<void(Fixture&)> open;
    std::function<void(Fixture&)> send;
    std::function<std::string(Fixture&)> state;
    std::vector<Case> cases;
    std::function<void(Fixture&)> reset;
};

// The texts of the toasts shown now in any window.
inline std::vector<std::string> toasts() {
    std::vector<std::string> shown;
    for (const auto& window : ui::Application::shared().windows()) {
        for (const auto& label : ui::driver::findAll<ui::Label>(window)) {
            auto box = label->superview();
            if (!box || box->layer()->cornerRadius() != 5 || !box->backgroundColor()) continue;
            if (box->backgroundColor()->cgColor() != ui::Color::colorWithRed(0, 0, 0, 1)->cgColor()) continue;
            shown.push_back(label->text().value_or(""));
        }
    }
    return shown;
}

inline std::string footerState(const ui::TableViewRef& table) {
    auto footer = table ? VXRefresh::VX_footer(table) : nullptr;
    if (!footer) return "none";
    switch (footer->state()) {
    case VXRefreshStateIdle: return "idle";
    case VXRefreshStateNoMoreData: return "all";
    default: return "busy";
    }
}

// Rows, page and footer of a list on the list base.
inline std::string listState(const ns::Ref<VXRefreshViewController>& list) {
    if (!list) return "(no list)";
    // The rows held, and those shown when the table has not caught up with them.
    size_t held = list->dataSource().size();
    long shown = ui::driver::rowCount(list->tableView(), 0);
    return "rows=" + std::to_string(held) + (shown == static_cast<long>(held) ? "" : "/shown=" + std::to_string(shown)) +
           " page=" + std::to_string(list->page()) + " footer=" + footerState(list->tableView());
}

// Back to the top, then a scroll to the end, as a person asks for more.
inline void pullFooter(const ui::TableViewRef& table) {
    ui::driver::drainMain();
    table->setContentOffset({0, 0}, false);
    ui::driver::scrollToEnd(table);
    ui::driver::drainMain();
}

// What run() needs of a fixture, over any screen fixture that has the stand-in as `server`.
template <class Base> class Driven : public Base {
public:
    vx::server::PlatformServer& stand() { return this->server; }
    void advanceClock(double seconds) { this->advance(seconds); }
    bool waitFor(const std::function<bool()>& predicate) { return this->runMainUntil(predicate); }
    // Until both transports have no request out and every reply has been handled.
    void waitForReplies() {
        auto scrambled = NetWorkManager::sharedInstance()->session();
        auto plain = CXRSdpNetTool::sharedTool()->session();
        EXPECT_TRUE(this->runMainUntil([&] { return scrambled->allTasks().empty() && plain->allTasks().empty(); }));
        this->settle();
    }
};

// Test names from request names, and the request of a name.
template <class Fixture> std::vector<std::string> names(const std::vector<Request<Fixture>>& requests) {
    std::vector<std::string> out;
    for (const auto& r : requests) out.push_back(r.name);
    return out;
}
inline std::string testName(const ::testing::TestParamInfo<std::string>& info) {
    std::string id;
    for (char c : info.param) id += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return id;
}
template <class Fixture> void run(Fixture& f, const Request<Fixture>& request);
template <class Fixture> void runNamed(Fixture& f, const std::vector<Request<Fixture>>& requests, const std::string& name) {
    for (const auto& r : requests)
        if (r.name == name) return run(f, r);
    FAIL() << "no request " << name;
}

// Runs every case of the request on one screen: the screen is opened once, and each fault is given
// to the next request it sends.
template <class Fixture> void run(Fixture& f, const Request<Fixture>& request) {
    request.open(f);
    if (::testing::Test::HasFatalFailure()) return;
    auto& server = f.stand();
    for (const auto& c : request.cases) {
        SCOPED_TRACE(request.name + ": " + c.fault);
        f.advanceClock(3); // earlier toasts have faded
        ASSERT_TRUE(toasts().empty()) << toasts().front();
        std::string before = request.state(f);
        size_t sent = server.requests(request.path).size();
        server.scriptNext(request.path, c.reply);
        request.send(f);
        ASSERT_TRUE(f.waitFor([&] { return server.requests(request.path).size() > sent; })) << "nothing sent";
        f.waitForReplies();
        if (c.toast.empty()) {
            EXPECT_TRUE(toasts().empty()) << toasts().front();
        } else {
            EXPECT_TRUE(f.waitFor([&] {
                for (const auto& t : toasts())
                    if (t == c.toast) return true;
                return false;
            })) << "no toast " << c.toast << (toasts().empty() ? "" : ", but " + toasts().front());
        }
        EXPECT_EQ(request.state(f), c.after.empty() ? before : c.after);
        if (!c.after.empty() && request.reset) {
            request.reset(f);
            f.waitForReplies();
        }
    }
}

} // namespace vx::test::faults
