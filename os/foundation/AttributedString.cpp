#include "os/foundation/AttributedString.h"

#include "os/foundation/Strings.h"

#include <algorithm>

namespace ns {

AttributedString::AttributedString(std::string text, const Dictionary& attributes)
    : text_(std::move(text)), length16_(str::utf16Length(text_)) {
    if (length16_ > 0) runs_.push_back({{0, length16_}, attributes});
}

void AttributedString::splitAt(size_t index) {
    for (size_t i = 0; i < runs_.size(); ++i) {
        Run& run = runs_[i];
        if (index <= run.range.location || index >= run.range.location + run.range.length) continue;
        Run tail{{index, run.range.location + run.range.length - index}, run.attributes};
        run.range.length = index - run.range.location;
        runs_.insert(runs_.begin() + static_cast<std::ptrdiff_t>(i) + 1, std::move(tail));
        return;
    }
}

void AttributedString::mergeEqualNeighbours() {
    std::vector<Run> merged;
    for (auto& run : runs_) {
        if (!merged.empty() && merged.back().attributes == run.attributes) merged.back().range.length += run.range.length;
        else merged.push_back(std::move(run));
    }
    runs_ = std::move(merged);
}

void AttributedString::addAttribute(const std::string& key, const Value& value, Range range) {
    size_t begin = std::min(range.location, length16_);
    size_t end = range.length > length16_ - begin ? length16_ : begin + range.length;
    if (begin >= end) return;
    splitAt(begin);
    splitAt(end);
    for (auto& run : runs_) {
        if (run.range.location >= begin && run.range.location < end) run.attributes.set(key, value);
    }
    mergeEqualNeighbours();
}

Dictionary AttributedString::attributes(size_t index, Range* effectiveRange) const {
    for (const auto& run : runs_) {
        if (index >= run.range.location && index < run.range.location + run.range.length) {
            if (effectiveRange) *effectiveRange = run.range;
            return run.attributes;
        }
    }
    if (effectiveRange) *effectiveRange = {Range::NotFound, 0};
    return {};
}

} // namespace ns
