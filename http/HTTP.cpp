#include "http/HTTP.h"

namespace HTTP {
void setObjectForField(ns::Dictionary& dictionary, const ns::Value& value, const std::string& key) {
    dictionary.set(key, value.isNil() ? ns::Value("") : value);
}
} // namespace HTTP
