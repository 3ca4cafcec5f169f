#include "os/uikit/PhotoAlbum.h"

#include "os/dispatch/Queue.h"
#include "os/foundation/ResetRegistry.h"
#include "os/imageio/ImageSource.h"

namespace ui {

PhotoAlbum& PhotoAlbum::shared() {
    static PhotoAlbum* album = [] {
        ns::ResetRegistry::add("ui.PhotoAlbum", [] { PhotoAlbum::shared().reset(); });
        return new PhotoAlbum;
    }();
    return *album;
}

void PhotoAlbum::saveImage(const ImageRef& image, Completion completion) {
    ns::Ref<ns::Error> error;
    if (allowed_ && image) saved_.push_back(image);
    else error = ns::Error::make(AssetsLibraryErrorDomain, AssetsLibraryDataUnavailableError, "Data unavailable");
    if (completion)
        dispatch::async(dispatch::Queue::main(), [completion, image, error] { completion(image, error); });
}

void PhotoAlbum::writeImageDataToSavedPhotosAlbum(const ns::DataRef& data, const ns::Dictionary& metadata,
                                                   DataCompletion completion) {
    ns::Ref<ns::URL> url;
    ns::Ref<ns::Error> error;
    if (allowed_ && data && data->length() > 0) {
        std::string type;
        if (auto source = imageio::ImageSource::CreateWithData(data)) type = source->GetType();
        const char* ext = type == "public.png" ? "PNG" : type == "com.compuserve.gif" ? "GIF" : "JPG";
        size_t id = 0;
        {
            std::lock_guard guard(dataMutex_);
            savedData_.push_back(data);
            id = savedData_.size();
        }
        url = ns::URL::fromString("assets-library://asset/asset." + std::string(ext) + "?id=" + std::to_string(id) +
                                  "&ext=" + ext);
    } else {
        error = ns::Error::make(AssetsLibraryErrorDomain, AssetsLibraryDataUnavailableError, "Data unavailable");
    }
    if (completion)
        dispatch::async(dispatch::Queue::global(dispatch::Priority::Default), [completion, url, error] { completion(url, error); });
}

std::vector<ns::DataRef> PhotoAlbum::savedImageData() const {
    std::lock_guard guard(dataMutex_);
    return savedData_;
}

void PhotoAlbum::reset() {
    allowed_ = true;
    saved_.clear();
    std::lock_guard guard(dataMutex_);
    savedData_.clear();
}

} // namespace ui
