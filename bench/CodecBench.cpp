// The platform body codec: a request encoded plus a reply decoded (JSON, Base64, per-position key,
// gzip), for a 1 KB and a 64 KB dictionary, against two baselines:
// - zlib alone: gzip + gunzip of the JSON text, the work of a plain gzip body;
// - the format's floor: the work no implementation of this format can skip. Base64 of the JSON,
//   gzip of the expanded text (already expanded: the same "x…_…y" bytes, same zlib settings) and
//   gunzip of the reply, Base64 decoding of its Base64 text. JSON writing and reading, and the
//   expansion to numbers and back, are the codec's own cost above it.
// Prints the ratio of each pair at the end.

#include "bench/BenchRatio.h"
#include "os/foundation/JSONSerialization.h"
#include "platform_sdk/DecodeGzipBase64.h"
#include "server/ScrambledCodec.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <string>
#include <vector>

namespace {

// A reply-like dictionary whose JSON text is about `bytes` long.
ns::Value dictionaryOf(size_t bytes) {
    ns::Dictionary d;
    size_t length = 2; // "{}"
    for (int i = 0; length < bytes; ++i) {
        std::string key = "k" + std::to_string(i);
        std::string value = i % 3 ? "value-" + std::to_string(i * 7919) : "中文说明";
        length += key.size() + value.size() + 6; // quotes, colon, comma
        d.set(std::move(key), value);
    }
    return d;
}

std::vector<uint8_t> gzip(const std::string& text) {
    z_stream s{};
    deflateInit2(&s, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY);
    std::vector<uint8_t> out(deflateBound(&s, text.size()));
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    s.avail_in = static_cast<uInt>(text.size());
    s.next_out = out.data();
    s.avail_out = static_cast<uInt>(out.size());
    deflate(&s, Z_FINISH);
    out.resize(s.total_out);
    deflateEnd(&s);
    return out;
}

std::string gunzip(const std::vector<uint8_t>& data, size_t expected) {
    z_stream s{};
    inflateInit2(&s, 47);
    std::string out(expected, '\0');
    s.next_in = const_cast<Bytef*>(data.data());
    s.avail_in = static_cast<uInt>(data.size());
    s.next_out = reinterpret_cast<Bytef*>(out.data());
    s.avail_out = static_cast<uInt>(out.size());
    inflate(&s, Z_FINISH);
    out.resize(s.total_out);
    inflateEnd(&s);
    return out;
}

void Codec(benchmark::State& state, size_t bytes) {
    ns::Value dict = dictionaryOf(bytes);
    ns::DataRef reply = vx::server::encodeReply(dict);
    for (auto _ : state) {
        benchmark::DoNotOptimize(DecodeGzipBase64::codingJSON(dict));
        benchmark::DoNotOptimize(DecodeGzipBase64::decodingJSON(reply));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes) * 2);
}

void ZlibAlone(benchmark::State& state, size_t bytes) {
    std::string json = ns::JSONSerialization::write(dictionaryOf(bytes))->toString();
    for (auto _ : state) {
        auto zipped = gzip(json);
        benchmark::DoNotOptimize(gunzip(zipped, json.size()));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes) * 2);
}

void FormatFloor(benchmark::State& state, size_t bytes) {
    const ns::Value dict = dictionaryOf(bytes);
    const ns::DataRef json = ns::JSONSerialization::write(dict);
    // The request's expanded text, exactly as the codec gzips it.
    const ns::DataRef request = DecodeGzipBase64::codingJSON(dict);
    const std::string requestText = gunzip(std::vector<uint8_t>(request->bytes(), request->bytes() + request->length()),
                                           request->length() * 16);
    // The reply: gzip bytes, the length of its text, and the Base64 text inside it.
    const ns::DataRef reply = vx::server::encodeReply(dict);
    const std::vector<uint8_t> replyBytes(reply->bytes(), reply->bytes() + reply->length());
    const size_t replyTextLength = gunzip(replyBytes, reply->length() * 16).size();
    const std::string replyBase64 = json->base64Encoded();
    for (auto _ : state) {
        benchmark::DoNotOptimize(json->base64Encoded(ns::Data::Base64LineLength64));
        benchmark::DoNotOptimize(gzip(requestText));
        benchmark::DoNotOptimize(gunzip(replyBytes, replyTextLength));
        benchmark::DoNotOptimize(ns::Data::fromBase64(replyBase64));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes) * 2);
}

BENCHMARK_CAPTURE(Codec, 1KB, 1024);
BENCHMARK_CAPTURE(FormatFloor, 1KB, 1024);
BENCHMARK_CAPTURE(ZlibAlone, 1KB, 1024);
BENCHMARK_CAPTURE(Codec, 64KB, 64 * 1024)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ZlibAlone, 64KB, 64 * 1024)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FormatFloor, 64KB, 64 * 1024)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return benchratio::runWithRatios(
        argc, argv,
        {{"Codec/1KB", "ZlibAlone/1KB", "1KB vs zlib alone"},
         {"Codec/64KB", "ZlibAlone/64KB", "64KB vs zlib alone"},
         {"Codec/1KB", "FormatFloor/1KB", "1KB vs format floor"},
         {"Codec/64KB", "FormatFloor/64KB", "64KB vs format floor"}},
        {.title = "codec / baseline", .cpuTime = true, .width = 20}); // single-threaded work
}
