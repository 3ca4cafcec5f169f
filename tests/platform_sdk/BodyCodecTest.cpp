#include "os/foundation/JSONSerialization.h"
#include "os/foundation/Log.h"
#include "platform_sdk/DecodeGzipBase64.h"
#include "platform_sdk/cxrLFCGzipUtillity.h"
#include "tests/support/ScratchDir.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

using ns::Value;

namespace {

std::string scrambledText(const ns::DataRef& body) {
    auto plain = cxrLFCGzipUtillity::uncompressZippedData(body);
    return plain ? plain->toString() : std::string();
}

// Runs the independent reference script over the JSON texts, one output line each.
std::vector<std::string> referenceTexts(const std::vector<std::string>& jsonTexts) {
    vx::test::ScratchDir scratch;
    std::string input = scratch.file("codec_input.txt");
    {
        std::ofstream out(input);
        for (auto& t : jsonTexts) out << t << "\n";
    }
    std::string command = std::string("python3 ") + VX_CODEC_REFERENCE + " < " + input;
    FILE* pipe = ::popen(command.c_str(), "r");
    EXPECT_NE(pipe, nullptr);
    std::vector<std::string> lines;
    std::string line;
    for (int c; (c = std::fgetc(pipe)) != EOF;) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line += static_cast<char>(c);
        }
    }
    EXPECT_EQ(::pclose(pipe), 0);
    return lines;
}

ns::DataRef gzipText(const std::string& text) { return cxrLFCGzipUtillity::gzipData(ns::Data::fromString(text)); }

struct LogCapture {
    std::vector<std::string> lines;
    LogCapture() {
        ns::Log::setSink([this](const std::string& l) { lines.push_back(l); });
    }
    ~LogCapture() { ns::Log::setSink({}); }
};

} // namespace

TEST(BodyCodec, MatchesTheIndependentReferenceByteForByte) {
    std::vector<Value> objects = {
        ns::Dictionary{},
        ns::Dictionary{{"z", "player01"}, {"p", "secret"}},
        // Longer than 48 JSON bytes: the Base64 text gets CR LF line breaks, scrambled like the rest.
        ns::Dictionary{{"z", "13800000000"}, {"y", "123456"}, {"x", "一段中文的说明文字"}, {"w", "a/b"},
                       {"v", 42}, {"u", 0.5}},
    };
    std::vector<std::string> jsonTexts;
    for (auto& o : objects) jsonTexts.push_back(ns::JSONSerialization::write(o)->toString());
    auto expected = referenceTexts(jsonTexts);
    ASSERT_EQ(expected.size(), objects.size());
    for (size_t i = 0; i < objects.size(); ++i)
        EXPECT_EQ(scrambledText(DecodeGzipBase64::codingJSON(objects[i])), expected[i]) << jsonTexts[i];
}

// Long bodies, whose Base64 text has line breaks the decoder refuses: tests/server/PlatformServerTest.cpp.
TEST(BodyCodec, ShortRepliesRoundTripAndOuterCharactersAreNotChecked) {
    Value reply = ns::Dictionary{{"z", 1}, {"x", "登录成功"}};
    auto body = DecodeGzipBase64::codingJSON(reply);
    EXPECT_EQ(DecodeGzipBase64::decodingJSON(body), reply);

    std::string text = scrambledText(body);
    text.front() = 'Q';
    text.back() = '!';
    EXPECT_EQ(DecodeGzipBase64::decodingJSON(gzipText(text)), reply);
}

TEST(BodyCodec, BadBodiesDecodeToNil) {
    EXPECT_TRUE(DecodeGzipBase64::decodingJSON(nullptr).isNil());
    EXPECT_TRUE(DecodeGzipBase64::decodingJSON(ns::Data::make()).isNil());
    EXPECT_TRUE(DecodeGzipBase64::decodingJSON(ns::Data::fromString("plainly not gzip")).isNil());
    EXPECT_TRUE(DecodeGzipBase64::decodingJSON(gzipText("x")).isNil());
    EXPECT_TRUE(DecodeGzipBase64::decodingJSON(gzipText("x12_abc_99999999999999999999y")).isNil());
    // A first part of many digits reaches the general reader without overflowing on the way.
    std::string longPart(54, '4');
    longPart.insert(longPart.begin(), 'x');
    longPart.push_back('y');
    EXPECT_TRUE(DecodeGzipBase64::decodingJSON(gzipText(longPart)).isNil());
    std::string invalidUTF8 = "x\xff\xfe_1y";
    EXPECT_TRUE(DecodeGzipBase64::decodingJSON(gzipText(invalidUTF8)).isNil());
}

TEST(BodyCodec, NonNumericPartsCountAsZero) {
    // A part "abc" reads 0, so its character becomes (0 - key) & 0xFFFF: not Base64, so nil —
    // and no crash on the wrap-around.
    auto key = DecodeGzipBase64::getArray();
    ASSERT_EQ(key.size(), 64u);
    std::string text = "x";
    std::string base64 = "e30=";
    for (size_t i = 0; i < base64.size(); ++i) {
        if (i) text += "_";
        text += std::to_string(static_cast<unsigned>(base64[i]) + key[i][0]);
    }
    text += "y";
    EXPECT_EQ(DecodeGzipBase64::decodingJSON(gzipText(text)), Value(ns::Dictionary{}));
    EXPECT_TRUE(DecodeGzipBase64::decodingJSON(gzipText("xabc_" + text.substr(1))).isNil());
    // Text that is not ASCII after a part's digits reads as text after them: the digits count.
    std::string withCJK = text;
    withCJK.insert(text.find('_'), "中");
    EXPECT_EQ(DecodeGzipBase64::decodingJSON(gzipText(withCJK)), Value(ns::Dictionary{}));
}

TEST(BodyCodec, UnserialisableObjectsGiveNilAndOneLogLine) {
    LogCapture log;
    EXPECT_EQ(DecodeGzipBase64::codingJSON(Value(std::nan(""))), nullptr);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0].rfind("JSON序列化失败----", 0), 0u);
}

TEST(GzipUtility, CompressionEdgeCases) {
    LogCapture log;
    EXPECT_EQ(cxrLFCGzipUtillity::gzipData(ns::Data::make()), nullptr);
    EXPECT_EQ(log.lines.at(0), "+[cxrLFCGzipUtillity gzipData:]: Error: Can't compress an empty or nil NSData object");

    auto one = cxrLFCGzipUtillity::gzipData(ns::Data::fromString("a"));
    ASSERT_NE(one, nullptr);
    EXPECT_LE(one->length(), 22u);
    EXPECT_EQ(cxrLFCGzipUtillity::uncompressZippedData(one)->toString(), "a");

    auto empty = ns::Data::make();
    EXPECT_EQ(cxrLFCGzipUtillity::uncompressZippedData(empty), empty);
    std::string big(200000, 'z');
    EXPECT_EQ(cxrLFCGzipUtillity::uncompressZippedData(gzipText(big))->toString(), big);
    // Without a trustworthy length at the end (zlib wrapping; bytes after the gzip member) the
    // buffer grows as the text comes.
    std::vector<uint8_t> wrapped(compressBound(big.size()));
    uLongf wrappedLength = wrapped.size();
    ASSERT_EQ(compress(wrapped.data(), &wrappedLength, reinterpret_cast<const Bytef*>(big.data()), big.size()), Z_OK);
    wrapped.resize(wrappedLength);
    EXPECT_EQ(cxrLFCGzipUtillity::uncompressZippedData(ns::Data::make(wrapped))->toString(), big);
    auto trailing = gzipText(big)->toString() + std::string("\x01\0\0\0", 4);
    EXPECT_EQ(cxrLFCGzipUtillity::uncompressZippedData(ns::Data::fromString(trailing))->toString(), big);
    // A truncated stream is refused.
    auto whole = gzipText(big);
    EXPECT_EQ(cxrLFCGzipUtillity::uncompressZippedData(whole->subdata({0, whole->length() / 2})), nullptr);
}
