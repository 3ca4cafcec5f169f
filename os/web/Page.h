#pragma once
// A web page as the web view shows it: HTML and CSS laid out by the page engine (litehtml) at a
// width and drawn with this system's own graphics (os/text with the labels' fonts, cairo through
// cg::Context), pictures loaded with the shared URL session and drawn when they arrive. No
// scripts run and style sheets of other addresses are not loaded.
//
// The bytes are read in the charset the response named, else the one the page's <meta> names,
// else UTF-8, and bounded before the engine sees them (PageSource.h); pictures are bounded too
// (PagePictures.h). Coordinates are page points, y down, (0, 0) at the page's top left. Main
// thread only.

#include "os/foundation/Data.h"
#include "os/foundation/Object.h"
#include "os/foundation/URL.h"
#include "os/graphics/Context.h"
#include "os/graphics/Geometry.h"
#include "os/web/PagePictures.h"
#include "os/web/PageSource.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace litehtml { class document; }

namespace wk {

class PageContainer;
class Page;
using PageRef = ns::Ref<Page>;

class Page : public ns::Object {
public:
    // The page of the bytes (none: an empty page), its links and pictures resolved against `url`.
    static PageRef make(const ns::DataRef& bytes, const std::optional<std::string>& charset, const ns::Ref<ns::URL>& url,
                        const PageLimits& limits = {}, const PictureLimits& pictureLimits = {});

    const ns::Ref<ns::URL>& url() const { return url_; }
    // What the bytes were read as ("utf-8", "gb18030", ...).
    const std::string& charset() const { return charset_; }
    // The <title>, "" without one.
    std::string title() const;
    // A bound was applied to the bytes (they were cut or elements left out).
    bool wasCut() const { return cut_; }

    // --- Layout ---
    // Lays the page out for a viewport (points; the width is what lines fill) unless it already is
    // laid out for it and no picture has arrived since. Answers the content size: at least the
    // viewport's width, as tall as the page.
    cg::Size layout(cg::Size viewport);
    bool needsLayout(cg::Size viewport) const;
    // Of the last layout (zero before the first).
    cg::Size contentSize() const { return size_; }

    // The colour behind the whole page (the root's background, else the body's, as CSS carries it
    // to the canvas); none when transparent.
    std::optional<cg::Color> backgroundColor() const;

    // --- Drawing ---
    // Draws what lies in `rect` into a y-down context whose user space is page points (the caller
    // translates for scrolling). Lays nothing out: call layout first.
    void draw(cg::Context& context, cg::Rect rect);

    // --- What a reader finds on it ---
    struct Link {
        std::string text;      // the link's text, spaces collapsed
        ns::Ref<ns::URL> url;  // absolute; none when the href does not parse
        std::vector<cg::Rect> boxes; // where its words are drawn
    };
    // The links (<a href>) in document order, with where they are at the last layout.
    std::vector<Link> links() const;
    // The address of the link at a point, none when there is no link there (or its href is a script).
    ns::Ref<ns::URL> linkAt(cg::Point point) const;
    // The text of the page's body, spaces collapsed.
    std::string text() const;

    // --- Pictures ---
    // Runs on the main queue after a picture arrived: the page needs laying out and drawing again.
    void setPictureArrived(std::function<void()> handler) { pictureArrived_ = std::move(handler); }
    size_t picturesLoading() const;

    Page();
    ~Page() override;

private:
    void pictureArrived();

    ns::Ref<ns::URL> url_;
    std::string charset_;
    bool cut_ = false;
    PagePicturesRef pictures_;
    std::unique_ptr<PageContainer> container_; // outlives the document, which keeps a pointer to it
    std::shared_ptr<litehtml::document> document_;
    std::optional<cg::Size> laidOutFor_;
    bool stale_ = false; // a picture arrived since the last layout
    cg::Size size_ = cg::SizeZero;
    std::function<void()> pictureArrived_;
};

} // namespace wk
