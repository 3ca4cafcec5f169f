#pragma once
// Internal: one HTTP response's header block read line by line as the transfer hands the lines over:
// the status line, fields, folded continuation lines and the blank line that ends the block.

#include "os/foundation/Value.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ns::detail {

class HTTPHeaderBlock {
public:
    enum class Line { Status, Field, End, Ignored };

    // One raw line, with or without its line break. A status line starts a new block.
    Line add(std::string_view line);

    // The status line's code (saturated; 0 when it has none).
    long status() const { return status_; }
    const std::vector<std::pair<std::string, std::string>>& fields() const { return fields_; }
    // Whether a field of that name (any case) arrived.
    bool has(std::string_view name) const;
    // Repeated fields joined with ", " under the first spelling of the name, in arrival order.
    Dictionary joined() const;

private:
    long status_ = 0;
    std::vector<std::pair<std::string, std::string>> fields_;
};

} // namespace ns::detail
