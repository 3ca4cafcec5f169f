#include "os/web/PagePictures.h"

#include "os/dispatch/Queue.h"
#include "os/foundation/Log.h"
#include "os/foundation/Strings.h"
#include "os/imageio/ImageSource.h"
#include "os/net/URLResponse.h"
#include "os/net/URLSession.h"

namespace wk {

PagePicturesRef PagePictures::make(std::function<void()> arrived, const PictureLimits& limits) {
    return ns::make<PagePictures>(std::move(arrived), limits);
}

PagePictures::PagePictures(std::function<void()> arrived, const PictureLimits& limits)
    : arrived_(std::move(arrived)), limits_(limits) {}

PagePictures::~PagePictures() { cancelAll(); }

void PagePictures::load(const ns::Ref<ns::URL>& url) {
    if (!url) return;
    const std::string& key = url->absoluteString();
    if (pictures_.count(key)) return;
    if (pictures_.size() >= limits_.maxPictures) {
        if (pictures_.size() == limits_.maxPictures)
            ns::log("web: a page loads at most %zu pictures; %s and later ones are left out", limits_.maxPictures,
                    key.c_str());
        pictures_[key].state = State::Failed;
        return;
    }
    Picture& picture = pictures_[key];
    std::string scheme = ns::str::lowercase(url->scheme().value_or(""));
    if (scheme != "http" && scheme != "https") {
        picture.state = State::Failed;
        return;
    }
    ns::Weak<PagePictures> weak = ref<PagePictures>();
    picture.task = ns::URLSession::sharedSession()->dataTask(
        url, [weak, key](const ns::DataRef& data, const ns::Ref<ns::URLResponse>& response, const ns::Ref<ns::Error>& error) {
            auto http = std::dynamic_pointer_cast<ns::HTTPURLResponse>(response);
            long status = http ? http->statusCode() : 200;
            bool failed = error != nullptr;
            dispatch::async(dispatch::Queue::main(), [weak, key, data, status, failed] {
                if (auto self = weak.lock()) self->fetched(key, data, status, failed);
            });
        });
    picture.task->resume();
}

void PagePictures::fetched(const std::string& url, const ns::DataRef& data, long status, bool failed) {
    auto it = pictures_.find(url);
    if (it == pictures_.end() || it->second.state != State::Loading) return;
    Picture& picture = it->second;
    picture.task = nullptr;
    picture.state = State::Failed;
    if (failed || status >= 400 || !data || data->length() == 0) return;
    // The header says how large the picture is before anything is decoded.
    auto source = imageio::ImageSource::CreateWithData(data);
    auto properties = source ? source->CopyPropertiesAtIndex(0) : std::nullopt;
    if (!properties) {
        ns::log("web: %s is no picture", url.c_str());
        return;
    }
    auto width = static_cast<uint64_t>(std::max(0LL, (*properties)[imageio::key::PixelWidth].integerValue()));
    auto height = static_cast<uint64_t>(std::max(0LL, (*properties)[imageio::key::PixelHeight].integerValue()));
    uint64_t pixels = width * height;
    if (width == 0 || height == 0 || width > limits_.maxPixels || height > limits_.maxPixels || pixels > limits_.maxPixels) {
        ns::log("web: picture %s of %llux%llu pixels not decoded (at most %llu pixels)", url.c_str(),
                static_cast<unsigned long long>(width), static_cast<unsigned long long>(height),
                static_cast<unsigned long long>(limits_.maxPixels));
        return;
    }
    if (pixels_ + pixels > limits_.maxTotalPixels) {
        ns::log("web: picture %s not decoded: the page's pictures would hold over %llu pixels", url.c_str(),
                static_cast<unsigned long long>(limits_.maxTotalPixels));
        return;
    }
    pixels_ += pixels;
    picture.pixels = pixels;
    picture.state = State::Decoding;
    ns::Weak<PagePictures> weak = ref<PagePictures>();
    dispatch::async(dispatch::Queue::global(), [weak, url, source] {
        imageio::Properties options{{imageio::key::SourceShouldCacheImmediately, true}};
        cg::ImageRef image = source->CreateImageAtIndex(0, &options);
        dispatch::async(dispatch::Queue::main(), [weak, url, image] {
            if (auto self = weak.lock()) self->decoded(url, image);
        });
    });
}

void PagePictures::decoded(const std::string& url, const cg::ImageRef& image) {
    auto it = pictures_.find(url);
    if (it == pictures_.end() || it->second.state != State::Decoding) return;
    if (!image) {
        it->second.state = State::Failed;
        pixels_ -= it->second.pixels;
        it->second.pixels = 0;
        ns::log("web: picture %s could not be decoded", url.c_str());
        return;
    }
    it->second.state = State::Ready;
    it->second.image = image;
    if (arrived_) arrived_();
}

cg::ImageRef PagePictures::image(const std::string& absoluteURL) const {
    auto it = pictures_.find(absoluteURL);
    return it == pictures_.end() ? nullptr : it->second.image;
}

cg::Size PagePictures::size(const std::string& absoluteURL) const {
    auto image = this->image(absoluteURL);
    return image ? cg::Size{double(image->width()), double(image->height())} : cg::SizeZero;
}

size_t PagePictures::loading() const {
    size_t n = 0;
    for (const auto& [url, picture] : pictures_) n += picture.state == State::Loading || picture.state == State::Decoding;
    return n;
}

void PagePictures::cancelAll() {
    for (auto& [url, picture] : pictures_) {
        if (picture.task) picture.task->cancel();
        picture.task = nullptr;
        if (picture.state == State::Loading) picture.state = State::Failed;
    }
}

} // namespace wk
