#include "os/web/Page.h"

#include "os/foundation/Log.h"
#include "os/web/DefaultStyle.h"
#include "os/web/PageBasics.h"
#include "os/web/PageContainer.h"

#include <litehtml/litehtml.h>

#include <algorithm>

namespace wk {

namespace {

// The default style sheet, parsed once for every page.
litehtml::context& engineContext() {
    static litehtml::context* context = [] {
        auto* c = new litehtml::context();
        c->load_master_stylesheet(defaultStyleSheet());
        return c;
    }();
    return *context;
}

std::string collapsed(const std::string& text) {
    std::string out;
    bool space = false;
    for (char c : text) {
        if (isHTMLSpace(c)) {
            space = !out.empty();
            continue;
        }
        if (space) out.push_back(' ');
        space = false;
        out.push_back(c);
    }
    return out;
}

// Where the words of an element are drawn, in page points.
void collectBoxes(const litehtml::element::ptr& element, std::vector<cg::Rect>& boxes) {
    size_t count = element->get_children_count();
    if (count == 0) {
        if (element->is_white_space()) return;
        litehtml::position p = element->get_placement();
        if (p.width > 0 && p.height > 0) boxes.push_back(cg::RectMake(p.x, p.y, p.width, p.height));
        return;
    }
    for (size_t i = 0; i < count; ++i) collectBoxes(element->get_child(static_cast<int>(i)), boxes);
}

// Where an <a> element links to; null for other elements and an <a> without an address.
const char* linkAddress(const litehtml::element::ptr& element) {
    const char* tag = element->get_tagName();
    return tag && std::string_view(tag) == "a" ? element->get_attr("href") : nullptr;
}

void collectLinks(const litehtml::element::ptr& element, const PageContainer& container, std::vector<Page::Link>& links) {
    if (const char* href = linkAddress(element)) {
        Page::Link link;
        litehtml::tstring text;
        element->get_text(text);
        link.text = collapsed(text);
        link.url = container.resolve(href);
        collectBoxes(element, link.boxes);
        links.push_back(std::move(link));
        return;
    }
    size_t count = element->get_children_count();
    for (size_t i = 0; i < count; ++i) collectLinks(element->get_child(static_cast<int>(i)), container, links);
}

// The text of an element as a reader sees it: hidden elements left out, blocks apart.
void collectText(const litehtml::element::ptr& element, std::string& text) {
    litehtml::style_display display = element->get_display();
    if (display == litehtml::display_none) return;
    size_t count = element->get_children_count();
    if (count == 0) {
        litehtml::tstring word;
        element->get_text(word);
        text += word;
        return;
    }
    bool block = display != litehtml::display_inline && display != litehtml::display_inline_text;
    if (block) text += ' ';
    for (size_t i = 0; i < count; ++i) collectText(element->get_child(static_cast<int>(i)), text);
    if (block) text += ' ';
}

bool isScript(const ns::Ref<ns::URL>& url) { return url && url->scheme() && *url->scheme() == "javascript"; }

} // namespace

Page::Page() = default;

Page::~Page() {
    document_.reset();
    if (pictures_) pictures_->cancelAll();
}

PageRef Page::make(const ns::DataRef& bytes, const std::optional<std::string>& charset, const ns::Ref<ns::URL>& url,
                   const PageLimits& limits, const PictureLimits& pictureLimits) {
    auto page = ns::make<Page>();
    page->url_ = url ? url : ns::URL::fromString("about:blank");
    std::string_view raw = bytes ? bytes->view() : std::string_view();
    PageSource source = preparePage(raw, charset, limits);
    page->charset_ = source.charset;
    page->cut_ = source.cut;
    ns::Weak<Page> weak = page;
    page->pictures_ = PagePictures::make(
        [weak] {
            if (auto self = weak.lock()) self->pictureArrived();
        },
        pictureLimits);
    page->container_ = std::make_unique<PageContainer>(page->url_, page->pictures_);
    try {
        page->document_ = litehtml::document::createFromUTF8(source.html.c_str(), page->container_.get(), &engineContext());
        if (page->document_ && page->document_->root())
            if (size_t left = leaveOutDeepTables(page->document_->root()))
                ns::log("web: %zu tables nested too deep emptied in %s", left, page->url_->absoluteString().c_str());
    } catch (const std::exception& e) {
        ns::log("web: the page at %s could not be read (%s)", page->url_->absoluteString().c_str(), e.what());
        page->document_.reset();
    }
    return page;
}

std::string Page::title() const { return container_ ? container_->title() : ""; }

bool Page::needsLayout(cg::Size viewport) const {
    return !laidOutFor_ || stale_ || whole(laidOutFor_->width) != whole(viewport.width) ||
           whole(laidOutFor_->height) != whole(viewport.height);
}

cg::Size Page::layout(cg::Size viewport) {
    if (!needsLayout(viewport)) return size_;
    int width = std::max(0, whole(viewport.width));
    int height = std::max(0, whole(viewport.height));
    laidOutFor_ = viewport;
    stale_ = false;
    container_->forgetRecording();
    size_ = cg::Size{double(width), 0};
    if (!document_) return size_;
    container_->setViewport(width, height);
    try {
        document_->render(width);
        size_ = cg::Size{std::clamp(double(document_->width()), double(width), kFar), std::clamp(double(document_->height()), 0.0, kFar)};
    } catch (const std::exception& e) {
        ns::log("web: the page at %s could not be laid out (%s)", url_->absoluteString().c_str(), e.what());
        document_.reset();
    }
    return size_;
}

void Page::draw(cg::Context& context, cg::Rect rect) {
    if (!document_ || !laidOutFor_ || cg::RectIsEmpty(rect)) return;
    if (!container_->recorded()) {
        litehtml::position page(0, 0, whole(size_.width) + 1, whole(size_.height) + 1);
        try {
            document_->draw(0, 0, 0, &page);
        } catch (const std::exception& e) {
            ns::log("web: the page at %s could not be drawn (%s)", url_->absoluteString().c_str(), e.what());
        }
        container_->endRecording();
    }
    context.SaveGState();
    context.ClipToRect(rect);
    container_->play(context, rect);
    context.RestoreGState();
}

std::optional<cg::Color> Page::backgroundColor() const {
    if (!document_ || !document_->root()) return std::nullopt;
    auto body = document_->root()->select_one("body");
    for (const auto& element : {document_->root(), body}) {
        const litehtml::background* bg = element ? element->get_background(true) : nullptr;
        if (bg && bg->m_color.alpha > 0)
            return colorOf(bg->m_color);
    }
    return std::nullopt;
}

std::vector<Page::Link> Page::links() const {
    std::vector<Link> links;
    if (document_ && document_->root()) collectLinks(document_->root(), *container_, links);
    return links;
}

ns::Ref<ns::URL> Page::linkAt(cg::Point point) const {
    if (!document_ || !document_->root() || !laidOutFor_) return nullptr;
    int x = whole(point.x), y = whole(point.y);
    for (auto element = document_->root()->get_element_by_point(x, y, x, y); element; element = element->parent()) {
        const char* href = linkAddress(element);
        if (!href) continue;
        auto url = container_->resolve(href);
        return isScript(url) ? nullptr : url;
    }
    return nullptr;
}

std::string Page::text() const {
    if (!document_ || !document_->root()) return "";
    auto body = document_->root()->select_one("body");
    std::string text;
    collectText(body ? body : document_->root(), text);
    return collapsed(text);
}

size_t Page::picturesLoading() const { return pictures_ ? pictures_->loading() : 0; }

void Page::pictureArrived() {
    stale_ = true;
    if (pictureArrived_) pictureArrived_();
}

} // namespace wk
