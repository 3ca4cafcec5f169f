#include "image/UIButton+VXWebImage.h"

#include "image/_VXWebImageSetterDicForButton.h"

#include <vector>

namespace VXWebImage {

namespace {

const char kImageSettersKey = 0;
const char kBackgroundImageSettersKey = 0;

// The single states of a control state, in order: highlighted, disabled, selected; normal when
// none of the low eight bits is set (other low bits alone give none).
std::vector<unsigned> singleStates(unsigned state) {
    std::vector<unsigned> states;
    if (state & ui::ControlStateHighlighted) states.push_back(ui::ControlStateHighlighted);
    if (state & ui::ControlStateDisabled) states.push_back(ui::ControlStateDisabled);
    if (state & ui::ControlStateSelected) states.push_back(ui::ControlStateSelected);
    if ((state & 0xFF) == 0) states.push_back(ui::ControlStateNormal);
    return states;
}

// The one single state the URL getters answer for.
unsigned representativeState(unsigned state) {
    if (state & ui::ControlStateHighlighted) return ui::ControlStateHighlighted;
    if (state & ui::ControlStateDisabled) return ui::ControlStateDisabled;
    if (state & ui::ControlStateSelected) return ui::ControlStateSelected;
    return ui::ControlStateNormal;
}

// What the two slot families (image, background image) share: the states' setters live in a holder
// under the family's key, and a result goes to the button through the family's setter.
using AssignForState = void (ui::Button::*)(ui::ImageRef image, unsigned state);

ns::Ref<ns::URL> urlForState(const ui::ButtonRef& button, const void* key, unsigned state) {
    if (!button) return nullptr;
    auto holder = _VXWebImageSetterDicForButton::holderOf(*button, key, false);
    auto setter = holder ? holder->setterForState(representativeState(state)) : nullptr;
    return setter ? setter->imageURL() : nullptr;
}

void setForStates(const ui::ButtonRef& button, const void* key, AssignForState assign, const ns::Ref<ns::URL>& url,
                  unsigned state, const ui::ImageRef& placeholder, VXWebImageRequestOptions options,
                  const ns::Ref<VXWebImageManager>& manager, const VXWebImageProgressBlock& progress,
                  const VXWebImageTransformBlock& transform, const VXWebImageCompletionBlock& completion) {
    if (!button) return;
    auto holder = _VXWebImageSetterDicForButton::holderOf(*button, key, true);
    for (unsigned single : singleStates(state)) {
        _VXWebImageSetter::Slot slot{button,
                                     [assign, single](const ns::Ref<ns::Object>& owner, const ui::ImageRef& image) {
                                         (static_cast<ui::Button&>(*owner).*assign)(image, single);
                                     },
                                     nullptr};
        _VXWebImageSetter::setImageWithURL(holder->lazySetterForState(single), slot, url, placeholder, options,
                                           manager, progress, transform, completion);
    }
}

void cancelForStates(const ui::ButtonRef& button, const void* key, unsigned state) {
    if (!button) return;
    auto holder = _VXWebImageSetterDicForButton::holderOf(*button, key, false);
    if (!holder) return;
    for (unsigned single : singleStates(state)) {
        if (auto setter = holder->setterForState(single)) setter->cancel();
    }
}

} // namespace

ns::Ref<ns::URL> VX_imageURLForState(const ui::ButtonRef& button, unsigned state) {
    return urlForState(button, &kImageSettersKey, state);
}

void VX_setImageWithURL(const ui::ButtonRef& button, const VXWebImageURLArgument& url, unsigned state, const ui::ImageRef& placeholder) {
    VX_setImageWithURL(button, url, state, placeholder, 0, nullptr, nullptr, nullptr, nullptr);
}

void VX_setImageWithURL(const ui::ButtonRef& button, const VXWebImageURLArgument& url, unsigned state, VXWebImageRequestOptions options) {
    VX_setImageWithURL(button, url, state, nullptr, options, nullptr, nullptr, nullptr, nullptr);
}

void VX_setImageWithURL(const ui::ButtonRef& button, const VXWebImageURLArgument& url, unsigned state, const ui::ImageRef& placeholder,
          VXWebImageRequestOptions options, VXWebImageCompletionBlock completion) {
    VX_setImageWithURL(button, url, state, placeholder, options, nullptr, nullptr, nullptr, std::move(completion));
}

void VX_setImageWithURL(const ui::ButtonRef& button, const VXWebImageURLArgument& url, unsigned state, const ui::ImageRef& placeholder,
          VXWebImageRequestOptions options, VXWebImageProgressBlock progress, VXWebImageTransformBlock transform,
          VXWebImageCompletionBlock completion) {
    VX_setImageWithURL(button, url, state, placeholder, options, nullptr, std::move(progress), std::move(transform),
         std::move(completion));
}

void VX_setImageWithURL(const ui::ButtonRef& button, const VXWebImageURLArgument& url, unsigned state, const ui::ImageRef& placeholder,
          VXWebImageRequestOptions options, const ns::Ref<VXWebImageManager>& manager, VXWebImageProgressBlock progress,
          VXWebImageTransformBlock transform, VXWebImageCompletionBlock completion) {
    setForStates(button, &kImageSettersKey, &ui::Button::setImage, url.url(), state, placeholder, options, manager,
                 progress, transform, completion);
}

void VX_cancelImageRequestForState(const ui::ButtonRef& button, unsigned state) {
    cancelForStates(button, &kImageSettersKey, state);
}

ns::Ref<ns::URL> VX_backgroundImageURLForState(const ui::ButtonRef& button, unsigned state) {
    return urlForState(button, &kBackgroundImageSettersKey, state);
}

void VX_setBackgroundImageWithURL(const ui::ButtonRef& button, const VXWebImageURLArgument& url, unsigned state, const ui::ImageRef& placeholder) {
    VX_setBackgroundImageWithURL(button, url, state, placeholder, 0, nullptr, nullptr, nullptr, nullptr);
}

void VX_setBackgroundImageWithURL(const ui::ButtonRef& button, const VXWebImageURLArgument& url, unsigned state, VXWebImageRequestOptions options) {
    VX_setBackgroundImageWithURL(button, url, state, nullptr, options, nullptr, nullptr, nullptr, nullptr);
}

void VX_setBackgroundImageWithURL(const ui::ButtonRef& button, const VXWebImageURLArgument& url, unsigned state, const ui::ImageRef& placeholder,
          VXWebImageRequestOptions options, VXWebImageCompletionBlock completion) {
    VX_setBackgroundImageWithURL(button, url, state, placeholder, options, nullptr, nullptr, nullptr, std::move(completion));
}

void VX_setBackgroundImageWithURL(const ui::ButtonRef& button, const VXWebImageURLArgument& url, unsigned state, const ui::ImageRef& placeholder,
          VXWebImageRequestOptions options, VXWebImageProgressBlock progress, VXWebImageTransformBlock transform,
          VXWebImageCompletionBlock completion) {
    VX_setBackgroundImageWithURL(button, url, state, placeholder, options, nullptr, std::move(progress), std::move(transform),
         std::move(completion));
}

void VX_setBackgroundImageWithURL(const ui::ButtonRef& button, const VXWebImageURLArgument& url, unsigned state, const ui::ImageRef& placeholder,
          VXWebImageRequestOptions options, const ns::Ref<VXWebImageManager>& manager, VXWebImageProgressBlock progress,
          VXWebImageTransformBlock transform, VXWebImageCompletionBlock completion) {
    setForStates(button, &kBackgroundImageSettersKey, &ui::Button::setBackgroundImage, url.url(), state, placeholder,
                 options, manager, progress, transform, completion);
}

void VX_cancelBackgroundImageRequestForState(const ui::ButtonRef& button, unsigned state) {
    cancelForStates(button, &kBackgroundImageSettersKey, state);
}

} // namespace VXWebImage
