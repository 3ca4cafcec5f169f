#pragma once
// Dictionary helper for request parameters.

#include "os/foundation/Value.h"

namespace HTTP {
// Stores the value under the key, or the empty text "" when the value is nil.
void setObjectForField(ns::Dictionary& dictionary, const ns::Value& value, const std::string& key);
} // namespace HTTP
