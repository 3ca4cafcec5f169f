#include "image/_VXWebImageSetterDicForButton.h"

#include <mutex>

ns::Ref<_VXWebImageSetter> _VXWebImageSetterDicForButton::setterForState(unsigned state) {
    lock_.wait();
    auto it = dic_.find(state);
    ns::Ref<_VXWebImageSetter> setter = it == dic_.end() ? nullptr : it->second;
    lock_.signal();
    return setter;
}

ns::Ref<_VXWebImageSetter> _VXWebImageSetterDicForButton::lazySetterForState(unsigned state) {
    lock_.wait();
    auto& setter = dic_[state];
    if (!setter) setter = ns::make<_VXWebImageSetter>();
    auto result = setter;
    lock_.signal();
    return result;
}

ns::Ref<_VXWebImageSetterDicForButton> _VXWebImageSetterDicForButton::holderOf(ns::Object& button, const void* key,
                                                                               bool create) {
    static std::mutex attachLock;
    std::lock_guard lock(attachLock);
    auto holder = button.associated(key).objectAs<_VXWebImageSetterDicForButton>();
    if (!holder && create) {
        holder = ns::make<_VXWebImageSetterDicForButton>();
        button.setAssociated(key, ns::Value(holder));
    }
    return holder;
}
