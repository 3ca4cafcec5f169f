#pragma once
// What the page engine asks of its host, answered with this system's graphics: fonts and text
// through os/text (the labels' fonts), where lines may break, backgrounds and pictures, borders
// with radii, list markers, clipping, and the viewport. Drawing goes into the cg::Context passed as
// the engine's device handle, user space y-down in page points. One per page; main thread.

#include "os/foundation/URL.h"
#include "os/graphics/Context.h"
#include "os/text/TextRun.h"
#include "os/web/PagePictures.h"

#include <litehtml/litehtml.h>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace wk {

class PageContainer : public litehtml::document_container {
public:
    PageContainer(ns::Ref<ns::URL> url, PagePicturesRef pictures);
    virtual ~PageContainer() = default;

    // The viewport the page is laid out for (points).
    void setViewport(int width, int height);
    // What the engine draws, recorded: it walks every element of the page to draw any part of it,
    // so a page is drawn once into a list and the list played for each part shown.
    struct Command {
        enum class Kind { Text, Background, Borders, Marker, PushClip, PopClip };
        Command(Kind kind, cg::Rect bounds) : kind(kind), bounds(bounds) {}
        Kind kind;
        cg::Rect bounds; // what it may paint, in page points (a clip's rectangle)
        litehtml::position pos;
        litehtml::uint_ptr font = 0;
        litehtml::web_color color;
        std::string text; // a text's words; a marker's base address
        std::array<double, 8> radii{};
        std::shared_ptr<litehtml::background_paint> background;
        std::shared_ptr<litehtml::borders> borders;
        std::shared_ptr<litehtml::list_marker> marker;
    };
    // Whether the engine's drawing of the page is recorded (since the last forgetRecording).
    bool recorded() const { return recorded_; }
    // The engine has drawn the whole page: what it drew is the recording (open clips closed).
    void endRecording();
    // The page was laid out again: the next drawing records anew.
    void forgetRecording();
    // Plays what reaches into `shown` (page points) into a y-down context in page points.
    void play(cg::Context& context, cg::Rect shown) const;
    const std::string& title() const { return title_; }
    // Where relative addresses of the page lead: its <base>, else its own address.
    ns::Ref<ns::URL> baseURL() const;
    // The address an attribute of the page names, absolute; none when it does not parse.
    ns::Ref<ns::URL> resolve(const char* address, const char* base = nullptr) const;

    // --- litehtml::document_container ---
    litehtml::uint_ptr create_font(const litehtml::tchar_t* faceName, int size, int weight, litehtml::font_style italic,
                                   unsigned int decoration, litehtml::font_metrics* fm) override;
    void delete_font(litehtml::uint_ptr hFont) override;
    int text_width(const litehtml::tchar_t* text, litehtml::uint_ptr hFont) override;
    void draw_text(litehtml::uint_ptr hdc, const litehtml::tchar_t* text, litehtml::uint_ptr hFont,
                   litehtml::web_color color, const litehtml::position& pos) override;
    int pt_to_px(int pt) const override;
    int get_default_font_size() const override;
    const litehtml::tchar_t* get_default_font_name() const override;
    void draw_list_marker(litehtml::uint_ptr hdc, const litehtml::list_marker& marker) override;
    void load_image(const litehtml::tchar_t* src, const litehtml::tchar_t* baseurl, bool redraw_on_ready) override;
    void get_image_size(const litehtml::tchar_t* src, const litehtml::tchar_t* baseurl, litehtml::size& sz) override;
    void draw_background(litehtml::uint_ptr hdc, const litehtml::background_paint& bg) override;
    void draw_borders(litehtml::uint_ptr hdc, const litehtml::borders& borders, const litehtml::position& draw_pos,
                      bool root) override;
    void set_caption(const litehtml::tchar_t* caption) override;
    void set_base_url(const litehtml::tchar_t* base_url) override;
    void link(const std::shared_ptr<litehtml::document>& doc, const litehtml::element::ptr& el) override {}
    void on_anchor_click(const litehtml::tchar_t* url, const litehtml::element::ptr& el) override {}
    void set_cursor(const litehtml::tchar_t* cursor) override {}
    void transform_text(litehtml::tstring& text, litehtml::text_transform tt) override;
    void import_css(litehtml::tstring& text, const litehtml::tstring& url, litehtml::tstring& baseurl) override;
    void set_clip(const litehtml::position& pos, const litehtml::border_radiuses& bdr_radius, bool valid_x,
                  bool valid_y) override;
    void del_clip() override;
    void get_client_rect(litehtml::position& client) const override;
    std::shared_ptr<litehtml::element> create_element(const litehtml::tchar_t* tag_name,
                                                      const litehtml::string_map& attributes,
                                                      const std::shared_ptr<litehtml::document>& doc) override;
    void get_media_features(litehtml::media_features& media) const override;
    void get_language(litehtml::tstring& language, litehtml::tstring& culture) const override;
    void split_text(const char* text, const std::function<void(const litehtml::tchar_t*)>& on_word,
                    const std::function<void(const litehtml::tchar_t*)>& on_space) override;

private:
    struct Font {
        vx::text::RunFontRef run;
        unsigned decorations = 0;
    };
    const Font* font(litehtml::uint_ptr handle) const;
    cg::ImageRef picture(const std::string& src, const std::string& base) const;

    ns::Ref<ns::URL> url_;
    ns::Ref<ns::URL> base_;
    PagePicturesRef pictures_;
    std::string title_;
    int viewportWidth_ = 0, viewportHeight_ = 0;
    std::vector<Font> fonts_; // handle = index + 1
    void paintText(cg::Context& context, const Command& command) const;
    void paintBackground(cg::Context& context, const litehtml::background_paint& bg, cg::Rect shown) const;
    void paintBorders(cg::Context& context, const litehtml::borders& borders, const litehtml::position& pos) const;
    void paintMarker(cg::Context& context, const litehtml::list_marker& marker, const std::string& base) const;

    std::vector<Command> commands_;
    // Each command's top and bottom (a clip's: -1, +1 its kind), scanned for every part shown.
    std::vector<std::pair<float, float>> spans_;
    bool recorded_ = false;
    int clips_ = 0; // set_clip calls not yet undone
    bool toldStyleSheets_ = false;
};

// Empties the elements that begin a table nested deeper than the engine lays out in reasonable
// time (the elements this container made are blocks there already; those the engine made itself,
// and the tables it made up, are not). Answers how many were emptied.
size_t leaveOutDeepTables(const litehtml::element::ptr& root, int tables = 0);

} // namespace wk
