#pragma once
// Layer animations as records: a layer keeps an added animation under its key until its duration
// has passed on the one clock (or until removed), but they are not drawn. (What is drawn in motion
// are the changes recorded through the layer's noteChanges, from view animation blocks.)

#include "os/foundation/Object.h"

#include <string>

namespace ca {

inline const std::string kMediaTimingFunctionLinear = "linear";
inline const std::string kMediaTimingFunctionEaseIn = "easeIn";
inline const std::string kMediaTimingFunctionEaseOut = "easeOut";
inline const std::string kMediaTimingFunctionEaseInEaseOut = "easeInEaseOut";
inline const std::string kMediaTimingFunctionDefault = "default";

inline const std::string kTransitionFade = "fade";
inline const std::string kTransitionMoveIn = "moveIn";
inline const std::string kTransitionPush = "push";
inline const std::string kTransitionReveal = "reveal";

class MediaTimingFunction : public ns::Object {
public:
    static ns::Ref<MediaTimingFunction> functionWithName(const std::string& name);
    const std::string& name() const { return name_; }

    explicit MediaTimingFunction(std::string name) : name_(std::move(name)) {}

private:
    std::string name_;
};

class Animation : public ns::Object {
public:
    static ns::Ref<Animation> animation();

    // 0 means the default of 0.25 s once added.
    double duration() const { return duration_; }
    void setDuration(double seconds) { duration_ = seconds; }
    const ns::Ref<MediaTimingFunction>& timingFunction() const { return timing_; }
    void setTimingFunction(ns::Ref<MediaTimingFunction> function) { timing_ = std::move(function); }
    bool isRemovedOnCompletion() const { return removedOnCompletion_; }
    void setRemovedOnCompletion(bool removed) { removedOnCompletion_ = removed; }

private:
    double duration_ = 0;
    ns::Ref<MediaTimingFunction> timing_;
    bool removedOnCompletion_ = true;
};

using AnimationRef = ns::Ref<Animation>;

// A transition of the layer's whole look (type "fade" by default).
class Transition : public Animation {
public:
    static ns::Ref<Transition> animation();

    const std::string& type() const { return type_; }
    void setType(std::string type) { type_ = std::move(type); }
    const std::string& subtype() const { return subtype_; }
    void setSubtype(std::string subtype) { subtype_ = std::move(subtype); }

private:
    std::string type_ = kTransitionFade;
    std::string subtype_;
};

} // namespace ca
