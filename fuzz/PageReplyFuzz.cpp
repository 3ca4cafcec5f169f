// The user centre's page-reply reader over arbitrary JSON: any reply, first or next page, never a
// crash, only dictionary rows, `page` put back after a next page that counts as failed, and kept
// at the page sent when a reply names no usable page.
#include "os/foundation/JSONSerialization.h"
#include "platform_sdk/user_center/VXPageState.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ns::Data bytes(std::vector<uint8_t>(data, data + size));
    ns::Value reply = ns::JSONSerialization::parse(bytes, ns::JSONSerialization::ReadingFragmentsAllowed);

    VXPageState state;
    auto first = state.beginFirstPage();
    if (auto rows = VXPageState::rows(reply, reply["lists"], false)) {
        for (const auto& row : *rows)
            if (!row.isDictionary()) std::abort();
        state.applyFirstPage(first, reply["now_page"], reply["total_page"]);
    }
    int before = state.page;
    auto next = state.beginNextPage();
    auto rows = VXPageState::rows(reply, reply["lists"], true);
    if (rows) state.applyNextPage(next, reply["now_page"]);
    else state.failed(next);
    if (!rows && state.page != before) std::abort();
    if (rows && reply["now_page"].intValue() <= 0 && state.page != next.sentPage) std::abort();
    return 0;
}
