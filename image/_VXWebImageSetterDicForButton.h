#pragma once
// The setters of one button and one kind of image (image or background image), one per single
// control state, made on demand.

#include "image/_VXWebImageSetter.h"
#include "os/dispatch/Semaphore.h"

#include <map>

class _VXWebImageSetterDicForButton : public ns::Object {
public:
    // The setter of a single state, or null.
    ns::Ref<_VXWebImageSetter> setterForState(unsigned state);
    // The setter of a single state, created when missing.
    ns::Ref<_VXWebImageSetter> lazySetterForState(unsigned state);

    // The holder attached to a button under a key of its kind, created when absent.
    static ns::Ref<_VXWebImageSetterDicForButton> holderOf(ns::Object& button, const void* key, bool create);

private:
    dispatch::Semaphore lock_{1};
    std::map<unsigned, ns::Ref<_VXWebImageSetter>> dic_;
};
