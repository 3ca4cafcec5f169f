#pragma once
// Internal to the foundation layer: libplist trees shared by PropertyList and keyed archiving.
// Parsing checks size and nesting before libplist sees the bytes (libplist recurses per level).

#include "os/foundation/Data.h"
#include "os/foundation/PropertyList.h"
#include "os/foundation/Value.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ns::plisttree {

// libplist keeps dates as 32-bit seconds (1901 to 2038 after 2001, fractions dropped in XML), so the
// parser stands a placeholder (the date's index, in seconds after 2001) in for every date and keeps
// the true values here, in seconds after 2001.
struct DateTable {
    std::vector<double> seconds;
    bool xml = false;
};

struct NodeDeleter {
    std::shared_ptr<const DateTable> dates; // set by parse()
    void operator()(void* node) const;
};
// An owned libplist node (plist_t).
using Node = std::unique_ptr<void, NodeDeleter>;

// The root node, or null with a reason in `failure`.
Node parse(const Data& data, std::string* failure, PropertyList::Format* format = nullptr);
DataRef serialize(void* root, PropertyList::Format format);
// The items of an array node in order (libplist's indexed access walks a list; this does not).
std::vector<void*> arrayItems(void* array);
// The Value of a node, as PropertyList::read gives it; nil for what has no Value form (dates
// included: their values live in the parsed tree's DateTable).
Value toValue(void* node);

} // namespace ns::plisttree
