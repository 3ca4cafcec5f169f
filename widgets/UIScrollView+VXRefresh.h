#pragma once
// The pull-to-refresh controls of a scroll view: one header and one footer at most, kept by the
// scroll view (as subviews at the back, and strongly).

#include "widgets/VXRefreshFooter.h"
#include "widgets/VXRefreshHeader.h"

namespace VXRefresh {

// Attaching replaces (and removes) an earlier control; none removes it. Nothing for no scroll view.
void setVX_header(const ui::ScrollViewRef& scrollView, const VXRefreshHeaderRef& header);
void setVX_footer(const ui::ScrollViewRef& scrollView, const VXRefreshFooterRef& footer);
// The control attached, or none.
VXRefreshHeaderRef VX_header(const ui::ScrollViewRef& scrollView);
VXRefreshFooterRef VX_footer(const ui::ScrollViewRef& scrollView);

} // namespace VXRefresh
