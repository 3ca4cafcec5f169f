#pragma once
// The pictures of one page: each address is fetched once with the shared URL session, decoded by
// the image I/O layer off the main thread, and kept for drawing; the page hears on the main queue
// when one has arrived. Bounded: a page loads at most maxPictures addresses, a picture larger than
// maxPixels is not decoded, and the decoded pictures of a page hold at most maxTotalPixels (what
// is refused says so in a log line). Bytes that are no picture, a failed load and an HTTP error
// leave the picture out. Main thread only.

#include "os/foundation/Object.h"
#include "os/foundation/URL.h"
#include "os/graphics/Geometry.h"
#include "os/graphics/Image.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>

namespace ns { class URLSessionDataTask; }

namespace wk {

struct PictureLimits {
    size_t maxPictures = 100;
    uint64_t maxPixels = uint64_t(4096) * 2048;
    uint64_t maxTotalPixels = uint64_t(4096) * 4096;
};

class PagePictures;
using PagePicturesRef = ns::Ref<PagePictures>;

class PagePictures : public ns::Object {
public:
    // `arrived` runs on the main queue after a picture is ready (not after a failure).
    static PagePicturesRef make(std::function<void()> arrived, const PictureLimits& limits = {});

    // Starts fetching the address unless it is known already; only http(s) addresses load.
    void load(const ns::Ref<ns::URL>& url);
    // The decoded picture, none while it loads or when it failed.
    cg::ImageRef image(const std::string& absoluteURL) const;
    // Its size in pixels, zero while unknown.
    cg::Size size(const std::string& absoluteURL) const;
    size_t loading() const;
    // Stops every fetch (the page is going away).
    void cancelAll();

    PagePictures(std::function<void()> arrived, const PictureLimits& limits);
    ~PagePictures() override;

private:
    enum class State { Loading, Decoding, Ready, Failed };
    struct Picture {
        State state = State::Loading;
        cg::ImageRef image;
        uint64_t pixels = 0; // counted against the page's total while decoding or decoded
        ns::Ref<ns::URLSessionDataTask> task;
    };

    void fetched(const std::string& url, const ns::DataRef& data, long status, bool failed);
    void decoded(const std::string& url, const cg::ImageRef& image);

    std::function<void()> arrived_;
    PictureLimits limits_;
    std::map<std::string, Picture> pictures_;
    uint64_t pixels_ = 0; // decoded or being decoded
};

} // namespace wk
