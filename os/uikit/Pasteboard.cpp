#include "os/uikit/Pasteboard.h"

#include "os/foundation/ResetRegistry.h"

namespace ui {

Pasteboard& Pasteboard::generalPasteboard() {
    static Pasteboard* board = [] {
        ns::ResetRegistry::add("ui.Pasteboard", [] { Pasteboard::generalPasteboard().reset(); });
        return new Pasteboard;
    }();
    return *board;
}

std::optional<std::string> Pasteboard::string() const {
    std::lock_guard lock(mutex_);
    return string_;
}

void Pasteboard::setString(std::optional<std::string> text) {
    std::lock_guard lock(mutex_);
    string_ = std::move(text);
    ++changes_;
}

long Pasteboard::changeCount() const {
    std::lock_guard lock(mutex_);
    return changes_;
}

void Pasteboard::reset() {
    std::lock_guard lock(mutex_);
    string_.reset();
    changes_ = 0;
}

} // namespace ui
