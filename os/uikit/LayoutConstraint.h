#pragma once
// A layout constraint as an interface file's outlet: its constant, active flag and identifier.
// There is no layout engine; a builder may bind the constant to one frame component of a view
// (held weakly) so that changing the constant moves or sizes that view.

#include "os/foundation/Object.h"

#include <functional>
#include <string>

namespace ui {

class View;
class LayoutConstraint;
using LayoutConstraintRef = ns::Ref<LayoutConstraint>;

enum class FrameComponent : int { X, Y, Width, Height };

class LayoutConstraint : public ns::Object {
public:
    static LayoutConstraintRef withConstant(double constant, std::string identifier = {});

    double constant() const { return constant_; }
    void setConstant(double constant);
    bool isActive() const { return active_; }
    void setActive(bool active) { active_ = active; }
    const std::string& identifier() const { return identifier_; }
    void setIdentifier(std::string identifier) { identifier_ = std::move(identifier); }

    // Runs with the new constant on every change (and once now).
    void setOnConstantChanged(std::function<void(double)> binding);
    // The constant becomes the component of the view's frame (plus offset), now and on change.
    void bindToFrame(const ns::Ref<View>& view, FrameComponent component, double offset = 0);

    explicit LayoutConstraint(double constant = 0) : constant_(constant) {}

private:
    double constant_;
    bool active_ = true;
    std::string identifier_;
    std::function<void(double)> binding_;
};

} // namespace ui
