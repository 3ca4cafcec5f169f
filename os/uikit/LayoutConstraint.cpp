#include "os/uikit/LayoutConstraint.h"

#include "os/uikit/View.h"

namespace ui {

LayoutConstraintRef LayoutConstraint::withConstant(double constant, std::string identifier) {
    auto c = ns::make<LayoutConstraint>(constant);
    c->identifier_ = std::move(identifier);
    return c;
}

void LayoutConstraint::setConstant(double constant) {
    constant_ = constant;
    if (binding_) binding_(constant);
}

void LayoutConstraint::setOnConstantChanged(std::function<void(double)> binding) {
    binding_ = std::move(binding);
    if (binding_) binding_(constant_);
}

void LayoutConstraint::bindToFrame(const ns::Ref<View>& view, FrameComponent component, double offset) {
    ns::Weak<View> weak = view;
    setOnConstantChanged([weak, component, offset](double value) {
        auto v = weak.lock();
        if (!v) return;
        cg::Rect f = v->frame();
        switch (component) {
        case FrameComponent::X: f.origin.x = value + offset; break;
        case FrameComponent::Y: f.origin.y = value + offset; break;
        case FrameComponent::Width: f.size.width = value + offset; break;
        case FrameComponent::Height: f.size.height = value + offset; break;
        }
        v->setFrame(f);
    });
}

} // namespace ui
