#pragma once
// NSString operations on UTF-8 text: UTF-16 counting, trimming, searching, percent escapes, regex
// predicates and path components.
//
// UTF-16 indexes: an emoji (outside the BMP) counts two units. A boundary index that falls between
// the two units of a surrogate pair is moved back to the start of the pair, so no result is ever
// invalid UTF-8 and substringTo(i) + substringFrom(i) is the whole text for every i. Indexes past the
// end are clamped to the end. An invalid UTF-8 byte counts as one unit and is kept as it is.

#include "os/foundation/Data.h"

#include <bitset>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ns {

// NSCharacterSet: membership of Unicode code points.
class CharacterSet {
public:
    // A custom set holding exactly the characters of the text.
    static CharacterSet characters(std::string_view utf8);
    static const CharacterSet& URLQueryAllowed(); // alphanumerics (ASCII) and !$&'()*+,-./:;=?@_~
    static const CharacterSet& URLPathAllowed();  // alphanumerics (ASCII) and !$&'()*+,-./:=@_~
    static const CharacterSet& URLHostAllowed();  // alphanumerics (ASCII) and !$&'()*+,-.:;=[]_~
    static const CharacterSet& alphanumerics();   // Unicode letters, marks and digits

    // The union with the characters of the text.
    CharacterSet adding(std::string_view utf8) const;
    bool contains(char32_t c) const;

private:
    std::bitset<128> ascii_;
    std::vector<char32_t> others_; // sorted
    bool unicodeAlphanumerics_ = false;
};

namespace str {

// --- UTF-16 ---
size_t utf16Length(std::string_view text);
// Byte offset of UTF-16 index `index` (rules above).
size_t utf8Offset(std::string_view text, size_t index);
std::string utf16Substring(std::string_view text, size_t from, size_t length);
std::string utf16SubstringFrom(std::string_view text, size_t from);
std::string utf16SubstringTo(std::string_view text, size_t to);
// First occurrence in UTF-16 units; location Range::NotFound when absent or when the needle is empty.
Range utf16RangeOf(std::string_view text, std::string_view needle);
std::string utf16ReplacingCharacters(std::string_view text, Range range, std::string_view replacement);

// --- Comparing and searching (literal, byte for byte). An empty needle is never found. ---
bool contains(std::string_view text, std::string_view needle);
bool hasPrefix(std::string_view text, std::string_view prefix);
bool hasSuffix(std::string_view text, std::string_view suffix);
bool isEqual(std::string_view a, std::string_view b);
bool isEqual(const std::optional<std::string>& a, std::string_view b); // nil is equal to nothing
// componentsSeparatedByString: "a&&b" gives "a", "", "b"; an empty separator gives the whole text.
std::vector<std::string> split(std::string_view text, std::string_view separator);
std::string replacingOccurrences(std::string_view text, std::string_view target, std::string_view replacement);

// --- Characters ---
// White space and newlines: Unicode separators (Zs, Zl, Zp), U+0009 to U+000D and U+0085.
bool isWhitespaceOrNewline(char32_t c);
std::string trimmingWhitespaceAndNewlines(std::string_view text);
// ASCII letters only; every other character is kept as it is.
std::string lowercase(std::string_view text);
std::string uppercase(std::string_view text);
// Non-empty and every character in the set.
bool consistsOf(std::string_view text, const CharacterSet& set);
// Non-empty and only "0" to "9".
bool isDigits(std::string_view text);

// "SELF MATCHES pattern": the whole text matches the ICU regular expression. An invalid pattern matches nothing.
bool matchesPredicate(std::string_view text, std::string_view pattern);

// --- Percent escapes (UTF-8 bytes, upper-case hex) ---
// Escapes every byte outside the RFC 2396 unreserved and reserved characters, "%" and "#";
// existing escapes are left alone.
std::string addingLegacyPercentEscapes(std::string_view text);
std::string addingPercentEncoding(std::string_view text, const CharacterSet& allowed);
// nullopt when a "%" is not followed by two hex digits or the bytes are not UTF-8.
std::optional<std::string> removingPercentEncoding(std::string_view text);

// --- Paths (runs of "/" count as one; a trailing "/" is ignored) ---
std::string lastPathComponent(std::string_view path);                 // "/tmp/" -> "tmp", "/" -> "/"
std::string pathExtension(std::string_view path);                     // ".hidden" -> ""
std::string stringByDeletingPathExtension(std::string_view path);     // "a..tiff" -> "a."
std::string stringByDeletingLastPathComponent(std::string_view path); // "/tmp" -> "/", "a" -> ""
std::string stringByAppendingPathComponent(std::string_view path, std::string_view component);
// The path unchanged when it is empty, is "/", or the extension contains "/".
std::string stringByAppendingPathExtension(std::string_view path, std::string_view extension);
// "~" is the app's home, the sandbox root; "~user" that user's home; unknown users leave the path as it is.
std::string stringByExpandingTildeInPath(std::string_view path);

} // namespace str
} // namespace ns
