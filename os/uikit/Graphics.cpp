#include "os/uikit/Graphics.h"

#include "os/uikit/Screen.h"

#include <cmath>
#include <vector>

namespace ui {

namespace {
struct Entry {
    cg::ContextRef context;
    bool imageContext = false;
    double scale = 1;
};
thread_local std::vector<Entry> stack;
} // namespace

void GraphicsBeginImageContextWithOptions(cg::Size size, bool opaque, double scale) {
    if (!(scale > 0)) scale = Screen::mainScreen().scale();
    Entry e{nullptr, true, scale};
    double w = std::ceil(size.width * scale), h = std::ceil(size.height * scale);
    if (w >= 1 && h >= 1 && w <= 32767 && h <= 32767) {
        e.context = cg::Context::CreateBitmap(nullptr, size_t(w), size_t(h), 8, 0, cg::ColorSpace::CreateDeviceRGB(),
                                              opaque ? cg::kBitmapDisplayOpaque : cg::kBitmapDisplayAlpha);
        if (e.context) e.context->ConcatCTM({scale, 0, 0, -scale, 0, h});
    }
    stack.push_back(std::move(e));
}

void GraphicsBeginImageContext(cg::Size size) { GraphicsBeginImageContextWithOptions(size, false, 1); }

ImageRef GraphicsGetImageFromCurrentImageContext() {
    if (stack.empty() || !stack.back().imageContext || !stack.back().context) return nullptr;
    return Image::imageWithCGImage(stack.back().context->CreateImage(), stack.back().scale, ImageOrientation::Up);
}

void GraphicsEndImageContext() {
    if (!stack.empty() && stack.back().imageContext) stack.pop_back();
}

cg::Context* GraphicsGetCurrentContext() { return stack.empty() ? nullptr : stack.back().context.get(); }

void GraphicsPushContext(const cg::ContextRef& context) { stack.push_back({context, false, 1}); }

void GraphicsPopContext() {
    if (!stack.empty() && !stack.back().imageContext) stack.pop_back();
}

void RectFill(cg::Rect rect) { RectFillUsingBlendMode(rect, cg::BlendMode::Copy); }

void RectFillUsingBlendMode(cg::Rect rect, cg::BlendMode mode) {
    cg::Context* c = GraphicsGetCurrentContext();
    if (!c) return;
    c->SaveGState();
    c->SetBlendMode(mode);
    c->FillRect(rect);
    c->RestoreGState();
}

} // namespace ui
