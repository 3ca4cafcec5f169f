#include "platform_sdk/user_center/VXPageState.h"

VXPageState::Load VXPageState::beginFirstPage() {
    if (nextOut_ && page == nextOut_->sentPage) page = nextOut_->previousPage;
    nextOut_.reset();
    ++generation_;
    return {generation_, false, 1, page};
}

VXPageState::Load VXPageState::beginNextPage() {
    Load load{generation_, true, page + 1, page};
    page = load.sentPage;
    nextOut_ = load;
    return load;
}

bool VXPageState::isRefusal(const ns::Value& reply) {
    const ns::Value& status = reply["a"];
    return !status.isNil() && status.integerValue() != 1;
}

std::optional<ns::Array> VXPageState::rows(const ns::Value& reply, const ns::Value& list, bool nextPage) {
    if (isRefusal(reply)) return std::nullopt;
    if (nextPage && !list.isArray()) return std::nullopt;
    ns::Array out;
    if (const ns::Array* items = list.arrayPtr())
        for (const auto& item : *items)
            if (item.isDictionary()) out.push_back(item);
    return out;
}

void VXPageState::applyFirstPage(const Load& load, const ns::Value& nowPage, const ns::Value& totalPageValue) {
    if (!isCurrent(load)) return;
    page = nowPage.intValue();
    totalPage = totalPageValue.intValue();
}

void VXPageState::applyNextPage(const Load& load, const ns::Value& nowPage) {
    if (!isCurrent(load)) return;
    nextOut_.reset();
    int reported = nowPage.intValue();
    page = reported > 0 ? reported : load.sentPage;
}

void VXPageState::failed(const Load& load) {
    if (load.nextPage && isCurrent(load)) nextOut_.reset();
    if (load.nextPage && isCurrent(load) && page == load.sentPage) page = load.previousPage;
}

void VXPageState::firstPageEnded(const Load& load) {
    if (!load.nextPage && isCurrent(load)) footerGeneration_ = load.generation;
}
