#pragma once
// The saved-photos album stand-in: saving keeps the image when the album may be used and
// answers with an error when not; the completion runs later on the main queue. One per process;
// reset() (a registered reset hook) forgets the images and allows saving again.

#include "os/foundation/Error.h"
#include "os/foundation/URL.h"
#include "os/uikit/Image.h"

#include <functional>
#include <mutex>
#include <vector>

namespace ui {

inline const std::string AssetsLibraryErrorDomain = "ALAssetsLibraryErrorDomain";
inline constexpr long AssetsLibraryDataUnavailableError = -3310;

class PhotoAlbum {
public:
    using Completion = std::function<void(const ImageRef& image, const ns::Ref<ns::Error>& error)>;
    static PhotoAlbum& shared();

    // Keeps the image (when allowed) and answers on the next main-queue turn: no error, or
    // ALAssetsLibraryErrorDomain -3310 when saving is refused. A null image is refused too.
    void saveImage(const ImageRef& image, Completion completion);

    // The asset library's way in, from any thread: keeps the encoded bytes as a new asset and answers
    // on a background queue with its URL ("assets-library://asset/asset.PNG?id=<n>&ext=PNG", the
    // extension from the bytes' type), or with the -3310 error when refused or given no bytes.
    using DataCompletion = std::function<void(const ns::Ref<ns::URL>& assetURL, const ns::Ref<ns::Error>& error)>;
    void writeImageDataToSavedPhotosAlbum(const ns::DataRef& data, const ns::Dictionary& metadata,
                                          DataCompletion completion);
    std::vector<ns::DataRef> savedImageData() const;

    bool isSavingAllowed() const { return allowed_; }
    void setSavingAllowed(bool allowed) { allowed_ = allowed; }
    const std::vector<ImageRef>& savedImages() const { return saved_; }
    void reset();

private:
    PhotoAlbum() = default;
    bool allowed_ = true;
    std::vector<ImageRef> saved_;
    mutable std::mutex dataMutex_;
    std::vector<ns::DataRef> savedData_;
};

// The platform function's shape: save, then call back with the image and the error.
inline void ImageWriteToSavedPhotosAlbum(const ImageRef& image, PhotoAlbum::Completion completion) {
    PhotoAlbum::shared().saveImage(image, std::move(completion));
}

} // namespace ui
