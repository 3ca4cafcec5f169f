#include "widgets/UIScrollView+VXRefresh.h"

#include "os/foundation/Value.h"

namespace VXRefresh {
namespace {

char HeaderKey;
char FooterKey;

void attach(const ui::ScrollViewRef& scrollView, const void* key, const ns::Ref<VXRefreshComponent>& control) {
    if (!scrollView) return;
    auto old = scrollView->associated(key).objectAs<VXRefreshComponent>();
    if (old == control) return;
    if (old) old->removeFromSuperview();
    if (control) scrollView->insertSubview(control, 0);
    scrollView->setAssociated(key, control ? ns::Value(control) : ns::Value());
}

} // namespace

void setVX_header(const ui::ScrollViewRef& scrollView, const VXRefreshHeaderRef& header) {
    attach(scrollView, &HeaderKey, header);
}

void setVX_footer(const ui::ScrollViewRef& scrollView, const VXRefreshFooterRef& footer) {
    attach(scrollView, &FooterKey, footer);
}

VXRefreshHeaderRef VX_header(const ui::ScrollViewRef& scrollView) {
    return scrollView ? scrollView->associated(&HeaderKey).objectAs<VXRefreshHeader>() : nullptr;
}

VXRefreshFooterRef VX_footer(const ui::ScrollViewRef& scrollView) {
    return scrollView ? scrollView->associated(&FooterKey).objectAs<VXRefreshFooter>() : nullptr;
}

} // namespace VXRefresh
