#pragma once
// A row's address in a table: section and row, compared section first.

#include <compare>
#include <string>

namespace ui {

struct IndexPath {
    long section = 0;
    long row = 0;

    static constexpr IndexPath forRow(long row, long section) { return {section, row}; }

    auto operator<=>(const IndexPath&) const = default;
    bool operator==(const IndexPath&) const = default;
    // "{section, row}", as the platform describes it.
    std::string description() const { return "{" + std::to_string(section) + ", " + std::to_string(row) + "}"; }
};

} // namespace ui
