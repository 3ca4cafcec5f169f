// A reply's header block read line by line, as the network thread hands the lines over.
#include "os/net/HTTPHeaderBlock.h"

#include <gtest/gtest.h>

using ns::detail::HTTPHeaderBlock;

TEST(HTTPHeaderBlock, StatusFoldedRepeatedAndMalformedLines) {
    HTTPHeaderBlock block;
    EXPECT_EQ(block.add("HTTP/1.1 302 Found\r\n"), HTTPHeaderBlock::Line::Status);
    block.add("Location: /next\r\n");
    EXPECT_TRUE(block.has("location"));
    // A new status line starts a new block.
    block.add("HTTP/1.1 200 OK\r\n");
    EXPECT_FALSE(block.has("Location"));
    EXPECT_EQ(block.status(), 200);
    block.add("Set-Cookie: a=1\r\n");
    block.add("X-Long: one\r\n");
    EXPECT_EQ(block.add("  two \r\n"), HTTPHeaderBlock::Line::Field); // folded
    block.add("set-cookie: b=2\r\n");
    EXPECT_EQ(block.add("Bad Name: x\r\n"), HTTPHeaderBlock::Line::Ignored);
    EXPECT_EQ(block.add("X-Split: a\rInjected: b\r\n"), HTTPHeaderBlock::Line::Ignored);
    EXPECT_EQ(block.add("no colon\r\n"), HTTPHeaderBlock::Line::Ignored);
    EXPECT_EQ(block.add("\r\n"), HTTPHeaderBlock::Line::End);
    EXPECT_EQ(block.joined(), ns::Value(ns::Dictionary{{"Set-Cookie", "a=1, b=2"}, {"X-Long", "one two"}}));

    HTTPHeaderBlock huge;
    huge.add("HTTP/1.1 99999999999999999999999 Nope");
    EXPECT_EQ(huge.status(), LONG_MAX);
    huge.add("HTTP/2");
    EXPECT_EQ(huge.status(), 0);
}
