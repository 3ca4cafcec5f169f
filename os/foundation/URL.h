#pragma once
// NSURL with the classic URLWithString: rules: text with characters not allowed in URLs gives no URL,
// and the parts are returned as written (no case folding, no IDNA), so hosts such as
// "VOR_QUICK&name&pwd" parse. Two URLs are equal when their absolute strings are.

#include "os/foundation/Object.h"
#include "os/foundation/Value.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ns {

namespace detail { struct URLParts; }

class URL : public Object {
public:
    struct QueryItem {
        std::string name;
        std::optional<std::string> value; // nullopt when the item has no "="
        bool operator==(const QueryItem&) const = default;
    };

    // Null for empty text, characters outside printable ASCII or any of "<>\^`{|} and space,
    // or a "%" not followed by two hex digits.
    static Ref<URL> fromString(std::string_view text);
    // Relative text resolved against the base (RFC 3986); text with a scheme stands on its own.
    static Ref<URL> fromString(std::string_view text, const Ref<URL>& base);
    // "file://" plus the percent-encoded absolute path; a folder's URL ends in "/". Null for an empty path.
    static Ref<URL> fileURLWithPath(std::string_view path);

    const std::string& absoluteString() const { return absolute_; }
    const std::optional<std::string>& scheme() const { return scheme_; }
    // Host, user and password percent-decoded (as written when the escapes are not UTF-8).
    std::optional<std::string> host() const;
    std::optional<int> port() const { return port_; }
    std::optional<std::string> user() const;
    std::optional<std::string> password() const;
    // Percent-decoded path without a trailing "/" (the root stays "/"); "" when there is none or its
    // escapes are not UTF-8.
    std::string path() const;
    // Query and fragment as written, without "?" and "#".
    const std::optional<std::string>& query() const { return query_; }
    const std::optional<std::string>& fragment() const { return fragment_; }
    // nullopt without a query or when its escapes are not UTF-8.
    std::optional<std::string> percentDecodedQuery() const;
    // "&"-separated items split at the first "=", names and values percent-decoded ("+" stays "+").
    std::vector<QueryItem> queryItems() const;

    bool isFileURL() const;
    bool isEqual(const URL& other) const { return absolute_ == other.absolute_; }
    std::string description() const override { return absolute_; }

    URL() = default; // use the factories

private:
    static Ref<URL> fromParts(const detail::URLParts& parts, std::string absolute);

    std::string absolute_;
    std::optional<std::string> scheme_;
    std::optional<std::string> authority_;
    std::optional<std::string> userInfo_;
    std::string host_;
    std::optional<int> port_;
    std::string path_;
    std::optional<std::string> query_;
    std::optional<std::string> fragment_;
};

// application/x-www-form-urlencoded text of the parameters in their order: "key=value&...", both sides
// percent-encoded (all but letters, digits and "-._~/?"); values as their "%@" text; a null value sends
// the key alone; nested dictionaries and arrays as "key[sub]=value" and "key[]=value".
std::string formEncode(const Dictionary& parameters);

} // namespace ns
