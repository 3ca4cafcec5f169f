#include "os/foundation/AttributedString.h"

#include <gtest/gtest.h>

using namespace ns;

TEST(AttributedString, AttributesOverUtf16Ranges) {
    AttributedString text("¥12😀中", Dictionary{{ForegroundColorAttributeName, "gray"}});
    EXPECT_EQ(text.length16(), 6u);
    text.addAttribute(FontAttributeName, "bold-18", {0, 1});
    Range effective;
    Dictionary first = text.attributes(0, &effective);
    EXPECT_EQ(first[FontAttributeName].description(), "bold-18");
    EXPECT_EQ(first[ForegroundColorAttributeName].description(), "gray");
    EXPECT_EQ(effective, (Range{0, 1}));
    EXPECT_TRUE(text.attributes(3, &effective)[FontAttributeName].isNil());
    EXPECT_EQ(effective, (Range{1, 5}));
    EXPECT_TRUE(text.attributes(6, &effective).empty());
    EXPECT_EQ(effective.location, Range::NotFound);
}

TEST(AttributedString, RunsSplitAndMerge) {
    AttributedString text("abcdef");
    text.addAttribute(StrikethroughStyleAttributeName, 1, {1, 2});
    text.addAttribute(StrikethroughStyleAttributeName, 1, {3, 1});
    ASSERT_EQ(text.runs().size(), 3u);
    EXPECT_EQ(text.runs()[1].range, (Range{1, 3}));
    text.addAttribute(AttachmentAttributeName, "img", {2, 100}); // clipped to the end
    ASSERT_EQ(text.runs().size(), 4u);
    EXPECT_EQ(text.runs()[3].range, (Range{4, 2}));
    text.addAttribute(StrikethroughStyleAttributeName, Value(), {0, 6});
    text.addAttribute(AttachmentAttributeName, Value(), {0, 6});
    ASSERT_EQ(text.runs().size(), 1u);
    EXPECT_EQ(text.runs()[0].range, (Range{0, 6}));
    text.addAttribute(FontAttributeName, "f", {9, 2}); // outside: nothing
    EXPECT_EQ(text.runs().size(), 1u);
    EXPECT_TRUE(AttributedString().runs().empty());
}
