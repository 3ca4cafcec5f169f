#include "os/web/PageSource.h"

#include "os/foundation/Log.h"
#include "os/foundation/Strings.h"
#include "os/text/Engine.h"
#include "os/web/PageBasics.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <unordered_set>
#include <vector>

namespace wk {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

bool isAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
char lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }


bool startsWithNoCase(std::string_view s, size_t at, std::string_view prefix) {
    if (s.size() - std::min(at, s.size()) < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (lower(s[at + i]) != prefix[i]) return false;
    return true;
}

// --- Character sets ---

// The name text is read with, for a label a page or a response may give; "" when unknown.
std::string normalisedCharset(std::string_view label) {
    std::string l = ns::str::lowercase(ns::str::trimmingWhitespaceAndNewlines(label));
    if (l.size() >= 2 && (l.front() == '"' || l.front() == '\'') && l.back() == l.front()) l = l.substr(1, l.size() - 2);
    if (l.empty()) return "";
    static const std::array<std::pair<const char*, const char*>, 24> known = {{
        {"utf-8", "utf-8"}, {"utf8", "utf-8"}, {"unicode-1-1-utf-8", "utf-8"},
        {"gb2312", "gb18030"}, {"gbk", "gb18030"}, {"x-gbk", "gb18030"}, {"gb18030", "gb18030"}, {"chinese", "gb18030"},
        {"csgb2312", "gb18030"}, {"big5", "big5-hkscs"}, {"big5-hkscs", "big5-hkscs"},
        {"iso-8859-1", "windows-1252"}, {"latin1", "windows-1252"}, {"us-ascii", "windows-1252"},
        {"ascii", "windows-1252"}, {"windows-1252", "windows-1252"},
        {"utf-16", "utf-16le"}, {"utf-16le", "utf-16le"}, {"utf-16be", "utf-16be"},
        {"shift_jis", "cp932"}, {"sjis", "cp932"}, {"windows-31j", "cp932"}, {"euc-kr", "cp949"}, {"euc-jp", "euc-jp"},
    }};
    for (const auto& [name, charset] : known)
        if (l == name) return charset;
    // Any other label iconv knows is read as it says.
    for (char c : l)
        if (!(isAlpha(c) || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' || c == ':')) return "";
    iconv_t probe = iconv_open("UTF-8", l.c_str());
    if (probe == iconv_t(-1)) return "";
    iconv_close(probe);
    return l;
}

// The charset named by a <meta> in the first 1024 bytes ("" when none).
std::string metaCharset(std::string_view bytes) {
    std::string_view head = bytes.substr(0, 1024);
    for (size_t at = 0; (at = head.find('<', at)) != std::string_view::npos; ++at) {
        if (!startsWithNoCase(head, at, "<meta")) continue;
        size_t end = head.find('>', at);
        std::string tag = ns::str::lowercase(head.substr(at, end == std::string_view::npos ? head.size() - at : end - at));
        size_t key = tag.find("charset");
        if (key == std::string::npos) continue;
        size_t p = key + 7;
        while (p < tag.size() && isHTMLSpace(tag[p])) ++p;
        if (p >= tag.size() || tag[p] != '=') continue;
        ++p;
        while (p < tag.size() && isHTMLSpace(tag[p])) ++p;
        if (p < tag.size() && (tag[p] == '"' || tag[p] == '\'')) ++p;
        size_t start = p;
        while (p < tag.size() && !isHTMLSpace(tag[p]) && tag[p] != '"' && tag[p] != '\'' && tag[p] != ';' && tag[p] != '/') ++p;
        if (p > start) return tag.substr(start, p - start);
    }
    return "";
}

// UTF-8 of the bytes with every byte that starts no character, and every NUL, as U+FFFD; at most
// `limit` bytes (whole characters). A leading byte-order mark is dropped.
std::string readUTF8(std::string_view bytes, size_t limit, bool& cut) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    return vx::text::engine::validUTF8(bytes, limit, cut);
}

// The bytes read in another charset through iconv, bounded as readUTF8 bounds them.
std::string readWithIconv(std::string_view bytes, const std::string& charset, size_t limit, bool& cut) {
    iconv_t cd = iconv_open("UTF-8", charset.c_str());
    if (cd == iconv_t(-1)) return readUTF8(bytes, limit, cut);
    std::string out;
    std::array<char, 4096> buffer;
    char* in = const_cast<char*>(bytes.data());
    size_t left = bytes.size();
    // iconv writes whole characters, so once past the limit the rest would be cut anyway.
    while (left > 0 && out.size() <= limit) {
        char* to = buffer.data();
        size_t space = buffer.size();
        size_t result = iconv(cd, &in, &left, &to, &space);
        int error = result == size_t(-1) ? errno : 0;
        out.append(buffer.data(), buffer.size() - space);
        if (error == EILSEQ || error == EINVAL) {
            // A byte that starts no character, or a character cut off at the end.
            out.append(kReplacement);
            ++in;
            --left;
        } else if (error != 0 && error != E2BIG) {
            break;
        }
    }
    iconv_close(cd);
    // Its output is UTF-8 already, but NULs still become U+FFFD.
    return vx::text::engine::validUTF8(out, limit, cut);
}

// --- Structure ---

using Names = std::unordered_set<std::string_view>;

bool isVoid(const std::string& name) {
    static const Names names = {"area", "base", "basefont", "bgsound", "br", "col", "command", "embed", "frame", "hr",
                                "image", "img", "input", "keygen", "link", "meta", "param", "source", "track", "wbr"};
    return names.count(name) > 0;
}

bool isRawText(const std::string& name) {
    static const Names names = {"script", "style", "textarea", "title", "xmp", "iframe", "noembed", "noframes", "noscript"};
    return names.count(name) > 0;
}

// Elements whose end tag may be left out: the parser closes them when what follows cannot be inside.
bool endsImplicitly(const std::string& name) {
    static const Names names = {"p", "li", "dd", "dt", "option", "optgroup", "rb", "rp", "rt", "rtc"};
    return names.count(name) > 0;
}

bool isTablePart(const std::string& name) {
    static const Names names = {"td", "th", "tr", "tbody", "thead", "tfoot", "caption", "colgroup"};
    return names.count(name) > 0;
}

// Start tags that close an open paragraph.
bool closesParagraph(const std::string& name) {
    static const Names names = {"address", "article", "aside", "blockquote", "center", "details", "dialog", "dir",
                                "div", "dl", "fieldset", "figcaption", "figure", "footer", "form", "h1", "h2", "h3",
                                "h4", "h5", "h6", "header", "hgroup", "listing", "main", "menu", "nav", "ol", "p",
                                "pre", "section", "summary", "table", "ul", "xmp"};
    return names.count(name) > 0;
}

struct Attribute {
    std::string name;
    size_t valueBegin = 0, valueEnd = 0; // offsets in the input; empty when the attribute has no value
};

struct Tag {
    std::string name; // lower case
    size_t end = 0;   // offset after the tag
    bool selfClosing = false;
    std::vector<Attribute> attributes;
};

// The tag at `at` (after "<" or "</"): name, attributes and where it ends, as the HTML tokenizer
// reads them (quoted values may hold ">"). An unfinished tag runs to the end.
Tag readTag(std::string_view s, size_t nameStart) {
    Tag tag;
    size_t p = nameStart;
    while (p < s.size() && !isHTMLSpace(s[p]) && s[p] != '/' && s[p] != '>') ++p;
    tag.name = ns::str::lowercase(s.substr(nameStart, p - nameStart));
    while (p < s.size()) {
        while (p < s.size() && (isHTMLSpace(s[p]) || s[p] == '/')) {
            tag.selfClosing = s[p] == '/';
            ++p;
        }
        if (p >= s.size()) break;
        if (s[p] == '>') {
            tag.end = p + 1;
            return tag;
        }
        tag.selfClosing = false;
        Attribute attribute;
        size_t start = p++;
        while (p < s.size() && !isHTMLSpace(s[p]) && s[p] != '/' && s[p] != '>' && s[p] != '=') ++p;
        attribute.name = ns::str::lowercase(s.substr(start, p - start));
        while (p < s.size() && isHTMLSpace(s[p])) ++p;
        if (p < s.size() && s[p] == '=') {
            ++p;
            while (p < s.size() && isHTMLSpace(s[p])) ++p;
            if (p < s.size() && (s[p] == '"' || s[p] == '\'')) {
                char quote = s[p++];
                attribute.valueBegin = p;
                size_t close = s.find(quote, p);
                p = close == std::string_view::npos ? s.size() : close;
                attribute.valueEnd = p;
                if (p < s.size()) ++p;
            } else {
                attribute.valueBegin = p;
                while (p < s.size() && !isHTMLSpace(s[p]) && s[p] != '>') ++p;
                attribute.valueEnd = p;
            }
        }
        tag.attributes.push_back(std::move(attribute));
    }
    tag.end = s.size();
    return tag;
}

// Copies the text, leaving out start tags past the depth and count limits (and their end tags), and
// narrowing column spans. The nesting kept is a model of the parser's: it closes an element at its
// own end tag, or where the parser closes it for certain (an implied end), and never otherwise, so
// the engine's tree is never deeper than the model by more than the wrappers it adds (a table's
// body and row, counted with the table).
class Bounder {
public:
    Bounder(std::string_view in, const PageLimits& limits) : in_(in), limits_(limits) {}

    std::string run(bool& cut) {
        out_.reserve(in_.size());
        size_t i = 0;
        while (i < in_.size()) {
            size_t lt = in_.find('<', i);
            if (lt == std::string_view::npos) break;
            out_.append(in_.substr(i, lt - i));
            i = step(lt);
        }
        if (i < in_.size()) out_.append(in_.substr(i));
        if (dropped_ > 0) {
            ns::log("web: %zu tags left out of the page (nested deeper than %d or past %zu elements)", dropped_,
                    limits_.maxDepth, limits_.maxElements);
            cut = true;
        }
        if (narrowed_ > 0) {
            ns::log("web: %zu column spans above %ld narrowed", narrowed_, limits_.maxColumnSpan);
            cut = true;
        }
        return std::move(out_);
    }

private:
    struct Open {
        std::string name;
        int weight = 1;
    };

    // Handles the markup at `lt`; answers where the text goes on.
    size_t step(size_t lt) {
        std::string_view s = in_;
        if (s.substr(lt, 4) == "<!--") {
            size_t close = s.find("-->", lt + 4);
            size_t end = close == std::string_view::npos ? s.size() : close + 3;
            out_.append(s.substr(lt, end - lt));
            return end;
        }
        char next = lt + 1 < s.size() ? s[lt + 1] : '\0';
        if (next == '!' || next == '?') {
            size_t close = s.find('>', lt);
            size_t end = close == std::string_view::npos ? s.size() : close + 1;
            out_.append(s.substr(lt, end - lt));
            return end;
        }
        if (next == '/' && lt + 2 < s.size() && isAlpha(s[lt + 2])) return endTag(lt, readTag(s, lt + 2));
        if (isAlpha(next)) return startTag(lt, readTag(s, lt + 1));
        out_.push_back('<');
        return lt + 1;
    }

    void pop() {
        depth_ -= open_.back().weight;
        if (open_.back().name == "svg" || open_.back().name == "math") --foreign_;
        popped_.push_back(std::move(open_.back()));
        open_.pop_back();
    }
    // Puts back what the last implied ends closed: the tag that implied them was left out, so the
    // parser never closes them.
    void unpop() {
        while (!popped_.empty()) {
            const Open& back = popped_.back();
            depth_ += back.weight;
            if (back.name == "svg" || back.name == "math") ++foreign_;
            open_.push_back(std::move(popped_.back()));
            popped_.pop_back();
        }
    }
    bool topIs(const std::string& name) const { return !open_.empty() && open_.back().name == name; }
    bool topIsAnyOf(std::initializer_list<const char*> names) const {
        if (open_.empty()) return false;
        for (const char* n : names)
            if (open_.back().name == n) return true;
        return false;
    }

    // What the parser closes for certain before this start tag.
    void impliedEnds(const std::string& name) {
        if (name == "li") {
            if (topIs("p")) pop();
            if (topIs("li")) pop();
        } else if (name == "dd" || name == "dt") {
            if (topIs("p")) pop();
            if (topIsAnyOf({"dd", "dt"})) pop();
        } else if (name == "td" || name == "th") {
            if (topIsAnyOf({"td", "th"})) pop();
        } else if (name == "tr") {
            if (topIsAnyOf({"td", "th"})) pop();
            if (topIs("tr")) pop();
        } else if (name == "tbody" || name == "thead" || name == "tfoot") {
            if (topIsAnyOf({"td", "th"})) pop();
            if (topIs("tr")) pop();
            if (topIsAnyOf({"tbody", "thead", "tfoot"})) pop();
        } else if (name == "option") {
            if (topIs("option")) pop();
        } else if (name == "optgroup") {
            if (topIs("option")) pop();
            if (topIs("optgroup")) pop();
        } else if (closesParagraph(name)) {
            if (topIs("p")) pop();
        }
    }

    size_t startTag(size_t lt, Tag tag) {
        const std::string& name = tag.name;
        std::string_view text = in_.substr(lt, tag.end - lt);
        if (name == "html" || name == "head" || name == "body") {
            out_.append(text);
            return tag.end;
        }
        popped_.clear();
        impliedEnds(name);
        bool nests = !isVoid(name) && !(tag.selfClosing && (foreign_ > 0 || name == "svg" || name == "math"));
        int weight = name == "table" ? 3 : 1;
        bool keep = elements_ < limits_.maxElements && (!nests || depth_ + weight <= limits_.maxDepth);
        size_t end = tag.end;
        if (!keep) {
            ++dropped_;
            unpop();
            if (nests) phantoms_.push_back(name);
            // A left-out script or style must not show its text.
            if (nests && (name == "script" || name == "style")) {
                end = rawTextEnd(name, tag.end);
                if (end < in_.size()) {
                    Tag close = readTag(in_, end + 2);
                    phantoms_.pop_back();
                    return close.end;
                }
            }
            return end;
        }
        ++elements_;
        appendStartTag(lt, tag);
        if (nests) {
            open_.push_back({name, weight});
            depth_ += weight;
            if (name == "svg" || name == "math") ++foreign_;
        }
        if (name == "plaintext") {
            out_.append(in_.substr(tag.end));
            return in_.size();
        }
        if (nests && isRawText(name) && foreign_ == 0) {
            end = rawTextEnd(name, tag.end);
            out_.append(in_.substr(tag.end, end - tag.end));
        }
        return end;
    }

    // Where the raw text of the element ends: at its end tag, else at the end of the input.
    size_t rawTextEnd(const std::string& name, size_t from) const {
        for (size_t at = from; (at = in_.find("</", at)) != std::string_view::npos; at += 2) {
            if (!startsWithNoCase(in_, at + 2, name)) continue;
            size_t after = at + 2 + name.size();
            if (after >= in_.size() || isHTMLSpace(in_[after]) || in_[after] == '/' || in_[after] == '>') return at;
        }
        return in_.size();
    }

    void appendStartTag(size_t lt, const Tag& tag) {
        size_t copied = lt;
        if (tag.name == "td" || tag.name == "th") {
            for (const auto& a : tag.attributes) {
                if (a.name != "colspan" || a.valueEnd <= a.valueBegin) continue;
                std::string_view value = in_.substr(a.valueBegin, a.valueEnd - a.valueBegin);
                size_t digits = 0;
                while (digits < value.size() && value[digits] >= '0' && value[digits] <= '9') ++digits;
                std::string_view number = value.substr(0, digits);
                while (number.size() > 1 && number.front() == '0') number.remove_prefix(1);
                std::string limit = std::to_string(limits_.maxColumnSpan);
                bool over = number.size() > limit.size() || (number.size() == limit.size() && number > limit);
                if (!over) continue;
                out_.append(in_.substr(copied, a.valueBegin - copied));
                out_.append(limit);
                copied = a.valueEnd;
                ++narrowed_;
            }
        }
        out_.append(in_.substr(copied, tag.end - copied));
    }

    size_t endTag(size_t lt, Tag tag) {
        const std::string& name = tag.name;
        if (!phantoms_.empty() && phantoms_.back() == name) {
            phantoms_.pop_back();
            return tag.end;
        }
        bool tableEnd = name == "table" || name == "tr" || name == "tbody" || name == "thead" || name == "tfoot";
        while (!open_.empty() && open_.back().name != name &&
               (endsImplicitly(open_.back().name) || (tableEnd && isTablePart(open_.back().name))))
            pop();
        if (topIs(name)) pop();
        out_.append(in_.substr(lt, tag.end - lt));
        return tag.end;
    }

    std::string_view in_;
    const PageLimits& limits_;
    std::string out_;
    std::vector<Open> open_;
    std::vector<Open> popped_; // by the implied ends of the start tag being read
    std::vector<std::string> phantoms_; // left-out start tags whose end tags are left out too
    int depth_ = 0;
    int foreign_ = 0; // inside svg or math, where "/>" closes an element
    size_t elements_ = 0;
    size_t dropped_ = 0;
    size_t narrowed_ = 0;
};

} // namespace

std::string sniffCharset(std::string_view bytes, const std::optional<std::string>& declared) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return "utf-8";
    if (bytes.substr(0, 2) == "\xFF\xFE") return "utf-16le";
    if (bytes.substr(0, 2) == "\xFE\xFF") return "utf-16be";
    if (declared) {
        std::string charset = normalisedCharset(*declared);
        if (!charset.empty()) return charset;
        if (!ns::str::trimmingWhitespaceAndNewlines(*declared).empty()) ns::log("web: unknown charset \"%s\" of the response", declared->c_str());
    }
    std::string meta = metaCharset(bytes);
    if (!meta.empty()) {
        std::string charset = normalisedCharset(meta);
        // A page that says it is UTF-16 in ASCII bytes is not (as browsers read it).
        if (charset == "utf-16le" || charset == "utf-16be") return "utf-8";
        if (!charset.empty()) return charset;
        ns::log("web: unknown charset \"%s\" in the page, read as UTF-8", meta.c_str());
    }
    return "utf-8";
}

PageSource preparePage(std::string_view bytes, const std::optional<std::string>& declaredCharset,
                       const PageLimits& limits) {
    PageSource source;
    source.charset = sniffCharset(bytes, declaredCharset);
    bool cut = false;
    std::string text = source.charset == "utf-8" ? readUTF8(bytes, limits.maxBytes, cut)
                                                 : readWithIconv(bytes, source.charset, limits.maxBytes, cut);
    if (cut) ns::log("web: page of %zu bytes cut to %zu bytes of text", bytes.size(), text.size());
    if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3); // a byte-order mark read as U+FEFF
    source.html = Bounder(text, limits).run(cut);
    source.cut = cut;
    return source;
}

} // namespace wk
