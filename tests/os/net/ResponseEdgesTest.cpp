// What the caller is told at the edges of a response: every redirect status hands over the final
// response alone, and an announced empty body is a known length of zero.
#include "NetFixture.h"

namespace vx::test {
namespace {

TEST_F(NetTest, EveryRedirectStatusHandsOverOnlyTheFinalResponse) {
    server.on("/new", Reply::text(200, "landed").header("X-Final", "yes"));
    for (int status : {300, 301, 302, 303, 307, 308}) {
        std::string path = "/r" + std::to_string(status);
        server.on(path, Reply::redirect(status, "/new").header("X-Hop", "1"));
        auto r = fetch(path);
        ASSERT_TRUE(r.http()) << status;
        EXPECT_EQ(r.http()->statusCode(), 200) << status;
        EXPECT_EQ(r.body(), "landed") << status;
        EXPECT_EQ(r.response->url()->absoluteString(), server.url("/new")) << status;
        EXPECT_EQ(r.http()->valueForHTTPHeaderField("X-Final"), "yes") << status;
        EXPECT_FALSE(r.http()->valueForHTTPHeaderField("X-Hop")) << status;
        EXPECT_FALSE(r.http()->valueForHTTPHeaderField("Location")) << status;
    }
}

TEST_F(NetTest, AnAnnouncedEmptyBodyHasLengthZeroAndAnUnannouncedOneIsUnknown) {
    server.on("/empty", Reply::text(200, ""));
    Reply streamed;
    streamed.steps = {Step::send("abc")};
    server.on("/streamed", streamed);
    server.on("/none", Reply::text(204, ""));

    auto empty = fetch("/empty");
    EXPECT_EQ(empty.response->expectedContentLength(), 0);
    EXPECT_EQ(empty.body(), "");
    EXPECT_EQ(fetch("/streamed").response->expectedContentLength(), -1);
    EXPECT_EQ(fetch("/none").http()->statusCode(), 204);

    // A file's length is its size, known before the first byte, zero included.
    for (const std::string& content : {std::string(), std::string("four")}) {
        std::string path = sandboxPath() + "/file" + std::to_string(content.size()) + ".txt";
        ASSERT_TRUE(ns::Data::fromString(content)->writeToFile(path, true));
        auto local = fetch(makeSession(), ns::URLRequest::requestWithURL(ns::URL::fileURLWithPath(path)));
        ASSERT_TRUE(local.response) << path;
        EXPECT_EQ(local.response->expectedContentLength(), static_cast<int64_t>(content.size())) << path;
        EXPECT_EQ(local.response->mimeType(), "text/plain");
        EXPECT_EQ(local.body(), content);
    }
}

} // namespace
} // namespace vx::test
