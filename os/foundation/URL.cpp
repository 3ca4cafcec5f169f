#include "os/foundation/URL.h"

#include "os/foundation/Strings.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <climits>
#include <cstring>

namespace ns {

struct detail::URLParts {
    std::optional<std::string> scheme;
    std::optional<std::string> authority;
    std::string path;
    std::optional<std::string> query;
    std::optional<std::string> fragment;
};

namespace {

bool isHex(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }
bool isAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Printable ASCII except space and "<>\^`{|}, with every "%" starting a complete escape.
bool allowedInURL(std::string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        if (c <= 0x20 || c >= 0x7F || std::strchr("\"<>\\^`{|}", c)) return false;
        if (c == '%' && (i + 2 >= text.size() || !isHex(text[i + 1]) || !isHex(text[i + 2]))) return false;
    }
    return true;
}

// Generic split: scheme ":" ["//" authority] path ["?" query] ["#" fragment].
detail::URLParts split(std::string_view text) {
    detail::URLParts p;
    size_t i = 0;
    if (!text.empty() && isAlpha(text[0])) {
        size_t k = 1;
        while (k < text.size() && (isAlpha(text[k]) || isDigit(text[k]) || text[k] == '+' || text[k] == '-' || text[k] == '.')) ++k;
        if (k < text.size() && text[k] == ':') {
            p.scheme = std::string(text.substr(0, k));
            i = k + 1;
        }
    }
    std::string_view rest = text.substr(i);
    if (auto hash = rest.find('#'); hash != std::string_view::npos) {
        p.fragment = std::string(rest.substr(hash + 1));
        rest = rest.substr(0, hash);
    }
    if (auto question = rest.find('?'); question != std::string_view::npos) {
        p.query = std::string(rest.substr(question + 1));
        rest = rest.substr(0, question);
    }
    if (rest.starts_with("//")) {
        auto end = rest.find('/', 2);
        p.authority = std::string(rest.substr(2, end == std::string_view::npos ? std::string_view::npos : end - 2));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end);
    }
    p.path = std::string(rest);
    return p;
}

std::string removeDotSegments(std::string_view input) {
    std::string in(input);
    std::string out;
    while (!in.empty()) {
        if (in.starts_with("../")) in.erase(0, 3);
        else if (in.starts_with("./")) in.erase(0, 2);
        else if (in.starts_with("/./")) in.erase(0, 2);
        else if (in == "/.") in = "/";
        else if (in.starts_with("/../") || in == "/..") {
            in = in == "/.." ? "/" : in.substr(3);
            auto slash = out.rfind('/');
            out.erase(slash == std::string::npos ? 0 : slash);
        } else if (in == "." || in == "..") in.clear();
        else {
            auto next = in.find('/', in[0] == '/' ? 1 : 0);
            out += in.substr(0, next);
            in.erase(0, next == std::string::npos ? in.size() : next);
        }
    }
    return out;
}

std::string compose(const detail::URLParts& p) {
    std::string s;
    if (p.scheme) s += *p.scheme + ":";
    if (p.authority) s += "//" + *p.authority;
    s += p.path;
    if (p.query) s += "?" + *p.query;
    if (p.fragment) s += "#" + *p.fragment;
    return s;
}

std::optional<std::string> decodedOrRaw(const std::optional<std::string>& raw) {
    if (!raw) return std::nullopt;
    auto decoded = str::removingPercentEncoding(*raw);
    return decoded ? decoded : raw;
}

} // namespace

Ref<URL> URL::fromParts(const detail::URLParts& p, std::string absolute) {
    auto url = make<URL>();
    url->absolute_ = std::move(absolute);
    url->scheme_ = p.scheme;
    url->authority_ = p.authority;
    url->path_ = p.path;
    url->query_ = p.query;
    url->fragment_ = p.fragment;
    if (p.authority) {
        // The last "@" ends the user info: a host never holds one.
        std::string_view hostPort = *p.authority;
        if (auto at = hostPort.rfind('@'); at != std::string_view::npos) {
            url->userInfo_ = std::string(hostPort.substr(0, at));
            hostPort = hostPort.substr(at + 1);
        }
        size_t hostEnd = hostPort.size();
        size_t searchFrom = 0;
        if (hostPort.starts_with("[")) {
            auto close = hostPort.find(']');
            searchFrom = close == std::string_view::npos ? hostPort.size() : close;
        }
        if (auto colon = hostPort.rfind(':'); colon != std::string_view::npos && colon >= searchFrom) {
            std::string_view portText = hostPort.substr(colon + 1);
            hostEnd = colon;
            bool numeric = !portText.empty() && portText.size() <= 9;
            for (char c : portText) numeric = numeric && isDigit(c);
            if (numeric) url->port_ = std::stoi(std::string(portText));
        }
        url->host_ = std::string(hostPort.substr(0, hostEnd));
    }
    return url;
}

Ref<URL> URL::fromString(std::string_view text) {
    if (text.empty() || !allowedInURL(text)) return nullptr;
    return fromParts(split(text), std::string(text));
}

Ref<URL> URL::fromString(std::string_view text, const Ref<URL>& base) {
    if (!base) return fromString(text);
    if (!allowedInURL(text)) return nullptr;
    detail::URLParts r = split(text);
    if (r.scheme) return fromParts(r, std::string(text));

    detail::URLParts b = split(base->absolute_);
    detail::URLParts t;
    t.scheme = b.scheme;
    if (r.authority) {
        t.authority = r.authority;
        t.path = removeDotSegments(r.path);
        t.query = r.query;
    } else {
        t.authority = b.authority;
        if (r.path.empty()) {
            t.path = b.path;
            t.query = r.query ? r.query : b.query;
        } else {
            if (r.path.starts_with("/")) {
                t.path = removeDotSegments(r.path);
            } else {
                std::string merged;
                if (b.authority && b.path.empty()) merged = "/" + r.path;
                else {
                    auto slash = b.path.rfind('/');
                    merged = (slash == std::string::npos ? std::string() : b.path.substr(0, slash + 1)) + r.path;
                }
                t.path = removeDotSegments(merged);
            }
            t.query = r.query;
        }
    }
    t.fragment = r.fragment;
    std::string absolute = compose(t);
    return fromParts(t, absolute);
}

Ref<URL> URL::fileURLWithPath(std::string_view path) {
    if (path.empty()) return nullptr;
    std::string full(path);
    if (full[0] != '/') {
        char cwd[PATH_MAX];
        if (!::getcwd(cwd, sizeof cwd)) return nullptr;
        full = str::stringByAppendingPathComponent(cwd, full);
    }
    struct stat st {};
    if (full.back() != '/' && ::stat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) full += '/';
    return fromString("file://" + str::addingPercentEncoding(full, CharacterSet::URLPathAllowed()));
}

std::optional<std::string> URL::host() const {
    if (!authority_) return std::nullopt;
    return decodedOrRaw(host_);
}

std::optional<std::string> URL::user() const {
    if (!userInfo_) return std::nullopt;
    return decodedOrRaw(userInfo_->substr(0, userInfo_->find(':')));
}

std::optional<std::string> URL::password() const {
    if (!userInfo_) return std::nullopt;
    auto colon = userInfo_->find(':');
    if (colon == std::string::npos) return std::nullopt;
    return decodedOrRaw(userInfo_->substr(colon + 1));
}

std::string URL::path() const {
    std::string p = str::removingPercentEncoding(path_).value_or(std::string());
    if (p.size() > 1 && p.back() == '/') p.pop_back();
    return p;
}

std::optional<std::string> URL::percentDecodedQuery() const {
    if (!query_) return std::nullopt;
    return str::removingPercentEncoding(*query_);
}

std::vector<URL::QueryItem> URL::queryItems() const {
    std::vector<QueryItem> items;
    if (!query_ || query_->empty()) return items;
    for (const auto& part : str::split(*query_, "&")) {
        QueryItem item;
        auto eq = part.find('=');
        item.name = *decodedOrRaw(part.substr(0, eq));
        if (eq != std::string::npos) item.value = decodedOrRaw(part.substr(eq + 1));
        items.push_back(std::move(item));
    }
    return items;
}

bool URL::isFileURL() const { return scheme_ && str::lowercase(*scheme_) == "file"; }

// --- Form encoding ---

namespace {

std::string formEscape(std::string_view text) {
    static const CharacterSet allowed = CharacterSet::characters(
        "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ-._~/?");
    return str::addingPercentEncoding(text, allowed);
}

void appendPairs(std::vector<std::string>& pairs, const std::string& key, const Value& value) {
    if (const Dictionary* dict = value.dictionaryPtr()) {
        for (const auto& [subKey, subValue] : *dict)
            appendPairs(pairs, key.empty() ? subKey : key + "[" + subKey + "]", subValue);
    } else if (const Array* array = value.arrayPtr()) {
        for (const auto& element : *array) appendPairs(pairs, key + "[]", element);
    } else if (value.isNilOrNull()) {
        pairs.push_back(formEscape(key));
    } else {
        pairs.push_back(formEscape(key) + "=" + formEscape(value.description()));
    }
}

} // namespace

std::string formEncode(const Dictionary& parameters) {
    std::vector<std::string> pairs;
    for (const auto& [key, value] : parameters) appendPairs(pairs, key, value);
    std::string out;
    for (const auto& pair : pairs) {
        if (!out.empty()) out += '&';
        out += pair;
    }
    return out;
}

} // namespace ns
