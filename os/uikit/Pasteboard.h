#pragma once
// The general pasteboard's text. One per process; reset() (a registered reset hook) empties it.

#include <mutex>
#include <optional>
#include <string>

namespace ui {

class Pasteboard {
public:
    static Pasteboard& generalPasteboard();

    std::optional<std::string> string() const;
    void setString(std::optional<std::string> text);
    // Grows with every change.
    long changeCount() const;
    void reset();

private:
    Pasteboard() = default;
    mutable std::mutex mutex_;
    std::optional<std::string> string_;
    long changes_ = 0;
};

} // namespace ui
