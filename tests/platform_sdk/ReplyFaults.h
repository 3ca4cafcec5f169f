#pragma once
// The faults a server reply can have, scripted the same way for every request a screen sends, and
// what a screen shows of them read back as text.

#include "os/uikit/Label.h"
#include "platform_sdk/CXRSdpNetTool.h"
#include "platform_sdk/NetWorkManager.h"
#include "server/PlatformServer.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <type_traits>
#include <typeinfo>
#include <vector>

namespace vx::test {

enum class Fault { NoConnection, NotJson, Empty, Refused, WrongTypes, ArrayForDictionary, Null, MissingList, PastTheEnd };

inline const char* faultName(Fault f) {
    static const char* names[] = {"no connection", "not JSON",   "empty body", "refused",      "wrong types",
                                  "array for dictionary", "null", "missing list", "page past the end"};
    return names[static_cast<int>(f)];
}

// The reply for a fault; `refused`, `wrongTyped` and `listless` are the request's own replies for
// the faults that depend on its keys.
inline vx::server::PlatformServer::Scripted faultyReply(Fault f, const ns::Value& refused, const ns::Value& wrongTyped,
                                                    const ns::Value& listless) {
    vx::server::PlatformServer::Scripted s;
    switch (f) {
    case Fault::NoConnection: s.drop = true; break;
    case Fault::NotJson: s.rawBody = "<html><body>502 Bad Gateway</body></html>"; break;
    case Fault::Empty: s.rawBody = ""; break;
    case Fault::Refused: s.json = refused; break;
    case Fault::WrongTypes: s.json = wrongTyped; break;
    case Fault::ArrayForDictionary: s.jsonText = "[{\"z\":1,\"code\":1,\"a\":1}]"; break;
    case Fault::Null: s.jsonText = "null"; break;
    case Fault::MissingList:
    case Fault::PastTheEnd: s.json = listless; break;
    }
    return s;
}

// The texts of the toasts lying on the view, "/"-joined, "-" when there is none.
inline std::string toasts(const ui::ViewRef& view) {
    std::string shown;
    if (view)
        for (const auto& box : view->subviews()) {
            const ui::View& held = *box;
            if (typeid(held) != typeid(ui::View) || box->subviews().size() != 1) continue;
            auto label = std::dynamic_pointer_cast<ui::Label>(box->subviews()[0]);
            if (!label) continue;
            shown += (shown.empty() ? "" : "/") + label->text().value_or("");
        }
    return shown.empty() ? "-" : shown;
}

// Faults every request meets, the columns of a row's `shows`: no connection, not JSON, empty body,
// refused, wrong types, array for dictionary, null; then "missing list" where the reply has one.
inline const std::vector<Fault> everyReply = {Fault::NoConnection, Fault::NotJson,            Fault::Empty, Fault::Refused,
                                              Fault::WrongTypes,   Fault::ArrayForDictionary, Fault::Null};

// One request of a screen: its own replies for the faults that depend on its keys, how the player
// sends it (answering what the screen and the game were left with), and that answer per fault.
template <class Fixture> struct FaultRow {
    const char* request;
    const char* path;
    ns::Value refused, wrongTyped, listless; // refused nil: the server's own refusal
    std::string (Fixture::*send)(Fault);
    std::vector<std::string> shows;
};

// Sends each row's request under each fault, starting every case with `fresh`.
template <class Fixture>
void runFaultTable(std::type_identity_t<Fixture>& fixture, vx::server::PlatformServer& server,
                   const std::vector<FaultRow<Fixture>>& table) {
    for (const auto& row : table) {
        std::vector<Fault> faults = everyReply;
        if (!row.listless.isNil()) faults.push_back(Fault::MissingList);
        for (size_t column = 0; column < faults.size(); ++column) {
            Fault fault = faults[column];
            fixture.fresh();
            if (!(fault == Fault::Refused && row.refused.isNil()))
                server.script(row.path, faultyReply(fault, row.refused, row.wrongTyped, row.listless));
            std::string shown = (fixture.*row.send)(fault);
            EXPECT_EQ(shown, column < row.shows.size() ? row.shows[column] : "?") << row.request << ", " << faultName(fault);
            // A request that never went out fails every cell after the same wait: one is enough.
            if (::testing::Test::HasFatalFailure()) return;
        }
    }
}

// True once neither transport has a request out.
inline bool transportsIdle() {
    return NetWorkManager::sharedInstance()->session()->allTasks().empty() &&
           CXRSdpNetTool::sharedTool()->session()->allTasks().empty();
}

} // namespace vx::test
