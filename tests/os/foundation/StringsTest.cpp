#include "os/foundation/Sandbox.h"
#include "os/foundation/Strings.h"
#include "tests/support/ScratchDir.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace ns;
using namespace ns::str;

TEST(Strings, Utf16LengthsAndSubstringsNeverSplitAPair) {
    EXPECT_EQ(utf16Length(""), 0u);
    EXPECT_EQ(utf16Length("中文"), 2u);
    EXPECT_EQ(utf16Length("👍🏽"), 4u); // emoji plus skin-tone modifier
    EXPECT_EQ(utf16Length("\xFF"), 1u); // a stray byte counts once
    const std::string text = "a😀b中";
    EXPECT_EQ(utf16SubstringTo(text, 1), "a");
    EXPECT_EQ(utf16SubstringTo(text, 2), "a"); // inside the pair: back to its start
    EXPECT_EQ(utf16SubstringTo(text, 3), "a😀");
    EXPECT_EQ(utf16SubstringFrom(text, 2), "😀b中");
    EXPECT_EQ(utf16SubstringFrom(text, 3), "b中");
    EXPECT_EQ(utf16Substring(text, 1, 2), "😀");
    EXPECT_EQ(utf16Substring(text, 2, 2), "😀b");
    EXPECT_EQ(utf16Substring(text, 4, 1), "中");
    for (size_t i = 0; i <= utf16Length(text) + 1; ++i)
        EXPECT_EQ(utf16SubstringTo(text, i) + utf16SubstringFrom(text, i), text) << i;
    // Past the end is clamped. Phone masking: the first 3 characters, stars, the characters from index 7 on.
    EXPECT_EQ(utf16Substring("abc", 1, static_cast<size_t>(-1)), "bc");
    EXPECT_EQ(utf16SubstringTo("13812345678", 3) + "****" + utf16SubstringFrom("13812345678", 7), "138****5678");
}

TEST(Strings, Utf16RangesAndReplacement) {
    EXPECT_EQ(utf16RangeOf("a😀b中", "中"), (Range{4, 1}));
    EXPECT_EQ(utf16RangeOf("a😀b", "😀"), (Range{1, 2}));
    EXPECT_EQ(utf16RangeOf("abc", "x").location, Range::NotFound);
    EXPECT_EQ(utf16RangeOf("abc", "").location, Range::NotFound);
    EXPECT_EQ(utf16ReplacingCharacters("a😀b中", {1, 2}, "x"), "axb中");
    EXPECT_EQ(utf16ReplacingCharacters("abc", {3, 0}, "😀"), "abc😀");
    EXPECT_EQ(utf8Offset("a😀b", 3), 5u);
}

TEST(Strings, TrimsUnicodeWhitespaceAndNewlines) {
    EXPECT_EQ(trimmingWhitespaceAndNewlines(" \t\n\u00A0\u3000\u0085\u2028 hi\u3000there \r\n\u2029\u2003"), "hi\u3000there");
    EXPECT_EQ(trimmingWhitespaceAndNewlines(" \u00A0\n"), "");
    EXPECT_EQ(trimmingWhitespaceAndNewlines("中文"), "中文");
    EXPECT_FALSE(isWhitespaceOrNewline(U'\u200B')); // zero-width space is a format character
}

TEST(Strings, SearchingIsLiteralAndEmptyNeedlesAreNeverFound) {
    EXPECT_TRUE(contains("vorlix://rw?x=1", "vorlix://rw"));
    EXPECT_FALSE(contains("abc", ""));
    EXPECT_TRUE(hasPrefix("Portrait", "Port"));
    EXPECT_FALSE(hasPrefix("abc", ""));
    EXPECT_TRUE(hasSuffix("VX.appex", ".appex"));
    EXPECT_FALSE(hasSuffix("abc", ""));
    EXPECT_TRUE(isEqual(std::optional<std::string>("a"), "a"));
    EXPECT_FALSE(isEqual(std::optional<std::string>(), ""));
}

TEST(Strings, SplitKeepsEmptyComponents) {
    EXPECT_EQ(split("VOR_QUICK&name&pwd", "&"), (std::vector<std::string>{"VOR_QUICK", "name", "pwd"}));
    EXPECT_EQ(split("a&&b&", "&"), (std::vector<std::string>{"a", "", "b", ""}));
    EXPECT_EQ(split("", "&"), (std::vector<std::string>{""}));
    EXPECT_EQ(split("abc", ""), (std::vector<std::string>{"abc"}));
    EXPECT_EQ(replacingOccurrences(replacingOccurrences(" 1 3\n8 ", " ", ""), "\n", ""), "138");
    EXPECT_EQ(replacingOccurrences("aaa", "aa", "b"), "ba");
    EXPECT_EQ(replacingOccurrences("abc", "", "x"), "abc");
}

TEST(Strings, CaseAndCharacterTests) {
    EXPECT_EQ(lowercase("ÀbC-Z"), "Àbc-z");
    EXPECT_EQ(uppercase("àbc"), "àBC");
    EXPECT_TRUE(isDigits("0123"));
    EXPECT_FALSE(isDigits(""));
    EXPECT_FALSE(isDigits("1.5"));
    EXPECT_FALSE(isDigits("１２")); // full-width digits
    auto amount = CharacterSet::characters("0123456789.");
    EXPECT_TRUE(consistsOf("1.2.3", amount));
    EXPECT_FALSE(consistsOf("", amount));
    EXPECT_FALSE(consistsOf("12a", amount));
}

TEST(Strings, UrlPredicateMatchesTheWholeTextWithIcuClasses) {
    const char* isURL = "[a-zA-z]+://[^\\s]*";
    // "A-z" also spans [\]^_`; \s takes in U+3000 and U+00A0.
    for (const char* yes : {"http://example.com/a?b=1", "vorlix://rw", "http://", "h_t^p://x", "http://例子.com/图"})
        EXPECT_TRUE(matchesPredicate(yes, isURL)) << yes;
    for (const char* no : {"http:/x", " http://x", "1http://x", "http://a b", "http://a\u3000b", "http://a\u00A0b", "http://a\n",
                           "icon_default"})
        EXPECT_FALSE(matchesPredicate(no, isURL)) << no;
    EXPECT_FALSE(matchesPredicate("abc", "([")); // a broken pattern matches nothing
}

TEST(Strings, LegacyEscapesLeaveReservedCharactersAndExistingEscapes) {
    EXPECT_EQ(addingLegacyPercentEscapes("http://a.com/测试?q=a b&x=%20;y=$+,@:#frag"),
              "http://a.com/%E6%B5%8B%E8%AF%95?q=a%20b&x=%20;y=$+,@:#frag");
    EXPECT_EQ(addingLegacyPercentEscapes("\"<>\\^`{|}[]"), "%22%3C%3E%5C%5E%60%7B%7C%7D%5B%5D");
    EXPECT_EQ(addingLegacyPercentEscapes("-_.!~*'()"), "-_.!~*'()");
    std::string once = addingLegacyPercentEscapes("a b");
    EXPECT_EQ(addingLegacyPercentEscapes(once), once);
}

TEST(Strings, PercentEncodingWithAllowedSets) {
    EXPECT_EQ(addingPercentEncoding("a b&c=d/?%", CharacterSet::URLQueryAllowed()), "a%20b&c=d/?%25");
    EXPECT_EQ(addingPercentEncoding("/a;b?c", CharacterSet::URLPathAllowed()), "/a%3Bb%3Fc");
    EXPECT_EQ(addingPercentEncoding("[::1]/", CharacterSet::URLHostAllowed()), "[::1]%2F");
    EXPECT_EQ(addingPercentEncoding("中a-1é", CharacterSet::alphanumerics()), "中a%2D1é");
    EXPECT_EQ(addingPercentEncoding("abcd中", CharacterSet::characters("abc")), "abc%64%E4%B8%AD");
    EXPECT_EQ(addingPercentEncoding("ab-", CharacterSet::characters("a").adding("-")), "a%62-");
}

TEST(Strings, RemovingPercentEncodingFailsOnMalformedText) {
    EXPECT_EQ(removingPercentEncoding("a%20b%E4%b8%AD+"), "a b中+");
    EXPECT_EQ(removingPercentEncoding("plain"), "plain");
    for (const char* bad : {"%zz", "%4", "100%", "%FF" /* not UTF-8 */})
        EXPECT_EQ(removingPercentEncoding(bad), std::nullopt) << bad;
}

TEST(Strings, PathComponentsFollowNSStringRules) {
    using Unary = std::string (*)(std::string_view);
    const std::tuple<Unary, const char*, const char*> unary[] = {
        {lastPathComponent, "/tmp/scratch.tiff", "scratch.tiff"},    {lastPathComponent, "/tmp/", "tmp"},
        {lastPathComponent, "scratch///", "scratch"},                {lastPathComponent, "/", "/"},
        {lastPathComponent, "", ""},                                 {pathExtension, "/tmp/scratch.tiff", "tiff"},
        {pathExtension, ".scratch.tiff", "tiff"},                    {pathExtension, "/tmp/.hidden", ""},
        {pathExtension, "/a.b/c", ""},                               {pathExtension, "VOZUV.bundle/", "bundle"},
        {stringByDeletingPathExtension, "/tmp/scratch.tiff", "/tmp/scratch"},
        {stringByDeletingPathExtension, "scratch..tiff", "scratch."}, {stringByDeletingPathExtension, ".tiff", ".tiff"},
        {stringByDeletingPathExtension, "scratch.bundle/", "scratch"}, {stringByDeletingPathExtension, "icon@2x.png", "icon@2x"},
        {stringByDeletingLastPathComponent, "/tmp/scratch.tiff", "/tmp"}, {stringByDeletingLastPathComponent, "/tmp/lock/", "/tmp"},
        {stringByDeletingLastPathComponent, "/tmp", "/"},            {stringByDeletingLastPathComponent, "/", "/"},
        {stringByDeletingLastPathComponent, "scratch.tiff", ""}};
    for (const auto& [function, path, expected] : unary) EXPECT_EQ(function(path), expected) << path;

    using Binary = std::string (*)(std::string_view, std::string_view);
    const std::tuple<Binary, const char*, const char*, const char*> binary[] = {
        {stringByAppendingPathComponent, "/tmp", "scratch.tiff", "/tmp/scratch.tiff"},
        {stringByAppendingPathComponent, "/tmp/", "/images/", "/tmp/images"},
        {stringByAppendingPathComponent, "/", "a", "/a"},            {stringByAppendingPathComponent, "", "a", "a"},
        {stringByAppendingPathExtension, "/tmp/scratch.old", "tiff", "/tmp/scratch.old.tiff"},
        {stringByAppendingPathExtension, "/tmp/", "tiff", "/tmp.tiff"}, {stringByAppendingPathExtension, "/", "tiff", "/"},
        {stringByAppendingPathExtension, "a", "b/c", "a"}};
    for (const auto& [function, path, part, expected] : binary) EXPECT_EQ(function(path, part), expected) << path << " " << part;
}

TEST(Strings, TildeIsTheSandboxHome) {
    vx::test::ScratchDir home; // the sandbox root must never be a shared, fixed folder
    setSandboxRoot(home.path());
    EXPECT_EQ(stringByExpandingTildeInPath("~"), home.path());
    EXPECT_EQ(stringByExpandingTildeInPath("~/Library/Caches/"), home.path() + "/Library/Caches");
    EXPECT_EQ(stringByExpandingTildeInPath("~root/x"), "/root/x");
    EXPECT_EQ(stringByExpandingTildeInPath("~no-such-user-4711/x"), "~no-such-user-4711/x");
    EXPECT_EQ(stringByExpandingTildeInPath("/a/~"), "/a/~");
    setSandboxRoot("");
}
