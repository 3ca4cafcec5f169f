// Writes the fuzz targets' seed corpora (fuzz/corpus/<target>/): small, valid inputs of every kind
// each target reads, made with the project's own writers and the codec libraries.
// Usage: vx-fuzz-seeds OUTPUT_FOLDER   (scripts/make-fuzz-seeds.sh)

#include "image/VXImageEncoder.h"
#include "os/foundation/KeyedArchiver.h"
#include "os/foundation/PropertyList.h"
#include "os/foundation/Strings.h"
#include "os/foundation/URL.h"
#include "os/imageio/ImageDestination.h"
#include "platform_sdk/DecodeGzipBase64.h"
#include "server/ScrambledCodec.h"
#include "server/WebPages.h"
#include "tests/support/ImageBytes.h"

#include <tiffio.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

fs::path output;

void put(const std::string& target, const std::string& name, const Bytes& bytes) {
    fs::create_directories(output / target);
    std::ofstream(output / target / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}
void put(const std::string& target, const std::string& name, const std::string& text) {
    put(target, name, Bytes(text.begin(), text.end()));
}
Bytes bytesOf(const ns::DataRef& data) { return data ? Bytes(data->bytes(), data->bytes() + data->length()) : Bytes(); }
Bytes prefixed(uint8_t first, const Bytes& rest) {
    Bytes out(rest.size() + 1);
    out[0] = first;
    std::copy(rest.begin(), rest.end(), out.begin() + 1);
    return out;
}
Bytes prefixed(uint8_t first, const std::string& rest) { return prefixed(first, Bytes(rest.begin(), rest.end())); }

imagebytes::Rgba gradient(uint32_t x, uint32_t y) {
    return {uint8_t(x * 16), uint8_t(y * 16), uint8_t((x + y) * 8), uint8_t(x < 4 ? 128 : 255)};
}

// A big-endian ("MM") TIFF straight from libtiff: 8 × 8 RGB, two strips.
Bytes bigEndianTiff(const fs::path& scratch) {
    const std::string path = (scratch / "be.tif").string();
    TIFF* tif = TIFFOpen(path.c_str(), "wb");
    if (!tif) return {};
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 8);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 8);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 4);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    for (uint32_t y = 0; y < 8; ++y) {
        uint8_t row[24];
        for (uint32_t x = 0; x < 8; ++x) row[x * 3] = uint8_t(x * 30), row[x * 3 + 1] = uint8_t(y * 30), row[x * 3 + 2] = 90;
        TIFFWriteScanline(tif, row, y, 0);
    }
    TIFFClose(tif);
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The codestream inside a JP2 file's "jp2c" box.
Bytes codestreamOf(const Bytes& jp2) {
    for (size_t i = 4; i + 4 <= jp2.size(); ++i)
        if (jp2[i] == 'j' && jp2[i + 1] == 'p' && jp2[i + 2] == '2' && jp2[i + 3] == 'c') return Bytes(jp2.begin() + long(i) + 4, jp2.end());
    return {};
}

std::map<std::string, Bytes> images(const fs::path& scratch) {
    std::map<std::string, Bytes> out;
    auto picture = imagebytes::makeImage(16, 16, gradient, true);
    auto opaque = imagebytes::makeImage(16, 16, gradient, false);
    out["rgba.png"] = imagebytes::png(16, 16, gradient, true);
    out["interlaced.png"] = imagebytes::png(8, 8, gradient, false, true);
    out["baseline.jpg"] = imagebytes::jpeg(16, 16, gradient, false, 6, true, 80);
    out["progressive.jpg"] = imagebytes::jpeg(16, 16, gradient, true, 0, false, 80);
    std::vector<std::array<uint8_t, 3>> palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
    out["animated.gif"] = imagebytes::gif(4, 4, palette,
                                          {{0, 0, 4, 4, 1, 5, -1, Bytes(16, 0)}, {1, 1, 2, 2, 2, 7, 3, {1, 2, 3, 1}}}, 0);
    for (auto [name, type, image] : {std::tuple{"little-endian.tif", "public.tiff", picture},
                                     std::tuple{"image.bmp", "com.microsoft.bmp", picture},
                                     std::tuple{"icon.ico", "com.microsoft.ico", picture},
                                     std::tuple{"icon.icns", "com.apple.icns", picture},
                                     std::tuple{"image.jp2", "public.jpeg-2000", opaque}}) {
        auto encoded = imagebytes::encode(image, type);
        if (encoded) out[name] = bytesOf(encoded);
        else std::fprintf(stderr, "vx-fuzz-seeds: no %s\n", name);
    }
    out["big-endian.tif"] = bigEndianTiff(scratch);
    out["codestream.j2k"] = codestreamOf(out["image.jp2"]);
    // An animated PNG through the image kit's encoder.
    auto apng = VXImageEncoder::initWithType(VXImageTypePNG);
    apng->setLoopCount(2);
    apng->addImageWithData(imagebytes::dataOf(imagebytes::png(8, 8, gradient, true)), 0.1);
    apng->addImageWithData(imagebytes::dataOf(imagebytes::png(8, 8, [](uint32_t x, uint32_t) {
                                                  return imagebytes::Rgba{uint8_t(x * 30), 0, 0, 255};
                                              })),
                           0.2);
    out["animated.png"] = bytesOf(apng->encode());
    return out;
}

ns::Value samplePlist() {
    return ns::Dictionary{{"name", "中文 <&>"},     {"count", 42},           {"big", 1LL << 40},
                          {"ratio", 0.25},         {"yes", true},           {"when", ns::Date{-1200000000.5}},
                          {"later", ns::Date{3e9}}, {"bytes", ns::Data::fromString(std::string("\0\x01\xff", 3))},
                          {"list", ns::Array{1, "two", ns::Array{}}},    {"nested", ns::Dictionary{{"z", ns::Dictionary{}}}}};
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: vx-fuzz-seeds OUTPUT_FOLDER\n");
        return 2;
    }
    output = argv[1];
    const fs::path scratch = fs::temp_directory_path() / ("vx-fuzz-seeds-" + std::to_string(::getpid()));
    fs::create_directories(scratch);

    // Images: as they are (sniffing), behind a 0 byte (the targets whose first byte picks a signature).
    for (const auto& [name, bytes] : images(scratch)) {
        if (bytes.empty()) continue;
        put("fuzz_image_sniff", name, bytes);
        for (const char* target : {"fuzz_image_source", "fuzz_image_decoder", "fuzz_image_classes"})
            put(target, name, prefixed(0, bytes));
        if (name.ends_with(".png")) put("fuzz_png_info", name, prefixed(0, bytes));
    }

    // Property lists and keyed archives.
    put("fuzz_property_list", "sample.xml", prefixed(0, bytesOf(ns::PropertyList::write(samplePlist(), ns::PropertyList::Format::XML))));
    put("fuzz_property_list", "sample.bplist", prefixed(0, bytesOf(ns::PropertyList::write(samplePlist(), ns::PropertyList::Format::Binary))));
    put("fuzz_keyed_unarchiver", "sample.archive", prefixed(0, bytesOf(ns::KeyedArchiver::archivedData(samplePlist()))));
    // A date that is not a number round-trips as one (a longer run once stopped on it).
    put("fuzz_keyed_unarchiver", "nan-date.archive",
        prefixed(0, bytesOf(ns::KeyedArchiver::archivedData(ns::Value(ns::Array{ns::Value(ns::Date{std::nan("")}), ns::Value(ns::Date{-INFINITY})})))));

    // JSON: documents, replies, models.
    const std::vector<std::string> documents = {
        R"({"z":1,"x":"登录成功","b":"player01","c":"secret","d":"sign","e":1700000000,"url":"http://127.0.0.1/box"})",
        R"({"a":1,"b":"ok","c":{"lists":[{"id":"1","name":"礼包","num":3.5}],"now_page":1,"total_page":2}})",
        R"([{"id":1,"title":"t","flag":true,"price":"9.90","items":[1,2,3],"sub":{"k":null}},{"id":"2"}])",
        R"({"code":1,"msg":"ok","data":{"id":"1","content":"欢迎","status":1},"big":18446744073709551615,"neg":-1e300})",
    };
    for (size_t i = 0; i < documents.size(); ++i) {
        const std::string name = "doc" + std::to_string(i) + ".json";
        put("fuzz_json", name, prefixed(0, documents[i]));
        put("fuzz_model_mapping", name, documents[i]);
        put("fuzz_login_replies", name, documents[i]);
    }
    put("fuzz_json", "fragment.json", prefixed(4, std::string("\"\\u4e2d\\ud83d\\ude00\"")));
    put("fuzz_page_reply", "page.json",
        std::string(R"({"a":1,"b":"ok","lists":[{"id":"1","title":"礼包"},{"id":2}],"now_page":"2","total_page":3})"));
    put("fuzz_page_reply", "last.json", std::string(R"({"a":"1","lists":[],"now_page":3,"total_page":"3"})"));

    // Scrambled bodies, both ways.
    put("fuzz_body_codec", "request", prefixed(0, bytesOf(DecodeGzipBase64::codingJSON(ns::Dictionary{{"z", "player01"}, {"b", "中文"}}))));
    put("fuzz_body_codec", "reply", prefixed(0, bytesOf(vx::server::encodeReply(ns::Dictionary{{"z", 1}, {"x", "ok"}}))));

    // URLs.
    // Web pages: the stand-in's own, one in GBK, and markup no one should write. The first byte picks
    // the charset the response names (0: none) and the width.
    const std::pair<const char*, std::string> pages[] = {
        {"agreement.html", vx::server::pages::agreement()},
        {"tasks.html", vx::server::pages::tasks(true, "/sdkapicoupon2/Agreement/rwlog")},
        {"levels.html", vx::server::pages::titleLevels()},
        {"cashier.html", vx::server::pages::cashier(1001, "钻石×60", "6.32", "http://127.0.0.1/confirm?order=1001", true)},
        {"chatbot.html", vx::server::pages::chatbot()},
        {"styles.html", "<style>p{color:#f00;border:2px dashed blue;border-radius:8px 3px;background:url(a.png) repeat-x}"
                        "li::before{content:\"·\"} td{display:table-cell} .x>b+i~u{float:right;position:relative}"
                        "@media (max-width:300px){p{font-size:10pt}}</style><ol start=3><li>一<li>二</ol><p class=x>"
                        "<b>粗</b><i>斜</i><u>线</u><s>删</s></p><table border=1><tr><td colspan=2>格<tr><td>a<td>b</table>"
                        "<img src=a.png width=20 height=10><a href=\"../x.html#y\">链接</a><pre>\tpre\n text</pre>"},
        {"broken.html", "<div><table><td><span>未闭合<p><li>项<a href=x>链<b><i></b></i><table><tr><div>块"},
    };
    for (const auto& [name, html] : pages) put("fuzz_web_page", name, prefixed(0x40, html));
    put("fuzz_web_page", "gbk.html", prefixed(0x42, std::string("<meta charset=gbk><p>\xD6\xD0\xCE\xC4</p>")));
    put("fuzz_web_page", "utf16.html", prefixed(0x44, std::string("\xFF\xFE<\0p\0>\0-N\x87\x65", 12)));

    put("fuzz_url", "absolute", prefixed(0, std::string("http://user:pw@127.0.0.1:8080/a/b?c=d&e=%E4%B8%AD#frag")));
    put("fuzz_url", "relative", prefixed(1, std::string("../x/y?q=1\nhttp://host/a/b/c")));
    put("fuzz_app_urls", "quick-login", prefixed(0, std::string("VorlixWalletScheme1001://VOR_QUICK&player01&secret1")));
    put("fuzz_app_urls", "wallet-result",
        prefixed(1, ns::str::addingPercentEncoding(R"({"resultStatus":"9000","memo":"","result":"ok"})",
                                                   ns::CharacterSet::characters("abcdefghijklmnopqrstuvwxyz0123456789"))));
    put("fuzz_app_urls", "quick-host", prefixed(3, std::string("quick02&pw02")));

    // Reply header blocks.
    put("fuzz_http_headers", "redirect-then-ok",
        "HTTP/1.1 302 Found\r\nLocation: /next\r\n\r\nHTTP/1.1 200 OK\r\nContent-Type: text/html; charset=\"GBK\"\r\n"
        "Set-Cookie: a=1\r\nset-cookie: b=2\r\nX-Folded: one\r\n two\r\n\tthree\r\nContent-Length: 12\r\n\r\n");
    put("fuzz_http_headers", "gzip", "HTTP/2 200\r\ncontent-type: APPLICATION/JSON;charset=utf-8\r\ncontent-encoding: gzip\r\n"
                                     "content-length: 99999999999999999999\r\n\r\n");

    // Form bodies and cookie jars.
    put("fuzz_server_form", "login", ns::formEncode(ns::Dictionary{{"sj", "13800000000"}, {"username", "张 三+"}, {"type", "8"}}));
    put("fuzz_server_form", "raw", std::string("a=1&&b=%zz&c&=x&d=%E4%B8%AD+%2B"));
    put("fuzz_cookie_jar", "jar",
        "# Netscape HTTP Cookie File\n"
        "127.0.0.1\tFALSE\t/\tFALSE\t4102444800\tsid\tabc\n"
        "#HttpOnly_.example.com\tTRUE\t/path\tTRUE\t4102444800\ttoken\tx y\n"
        ".example.com\tTRUE\t/\tFALSE\t0\tsession\tonly\n"
        "broken line\n");

    // The disk cache's rows: trims, then rows of (key text, kind, [size], inline, extended, content, times).
    auto row = [](Bytes& out, const std::string& key, uint8_t kind, const std::string& inlineData, const std::string& content) {
        out.push_back(uint8_t(key.size()));
        out.insert(out.end(), key.begin(), key.end());
        out.push_back(kind);
        if (kind % 5 == 4) { // a file name of its own: the content doubles as one
            out.push_back(uint8_t(content.size()));
            out.insert(out.end(), content.begin(), content.end());
        }
        if (!(kind & 0x80)) for (int i = 0; i < 8; ++i) out.push_back(i == 7 ? uint8_t(content.size() + inlineData.size()) : 0);
        for (const std::string* text : {&inlineData, &content, &content}) {
            out.push_back(uint8_t(text->size()));
            out.insert(out.end(), text->begin(), text->end());
        }
        for (int i = 0; i < 16; ++i) out.push_back(uint8_t(i == 4 || i == 12 ? 0x65 : 0));
    };
    Bytes disk{0x4F};
    row(disk, "a", 0, "inline value", "");
    row(disk, "b", 1, "", "file value");
    row(disk, "c", 0x82, "", "");
    row(disk, "d", 4, "", "sub/../x");
    put("fuzz_disk_cache", "rows", disk);
    // The same rows, and the last byte plants links: stored files, a file written aside, the trash.
    disk.push_back(0x1F);
    put("fuzz_disk_cache", "links", disk);
    // Links in place of the data folder and of the manifest and its log.
    disk.back() = 0x60;
    put("fuzz_disk_cache", "folder-links", disk);

    fs::remove_all(scratch);
    return 0;
}
