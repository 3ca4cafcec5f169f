// A 100 kB article page read, laid out at 375 points and drawn on a 2x screen, a screenful at a
// time from top to end (the web view's page: parsing, styles, layout word by word, drawing), against
// the same text laid out and drawn with pango alone, a layout per heading, paragraph and list item
// at the same widths and sizes. Prints the ratio at the end.

#include "bench/BenchRatio.h"
#include "os/graphics/Context.h"
#include "os/web/Page.h"

#include <benchmark/benchmark.h>
#include <pango/pangocairo.h>

#include <string>
#include <vector>

namespace {

constexpr double kWidth = 375, kScreen = 667, kScale = 2;

struct Block {
    enum Kind { Title, Heading, Paragraph, Item } kind;
    std::string text;
};

// Sections of paragraphs and lists, Chinese with some Latin, until the page has 100 kB.
const std::vector<Block>& article() {
    static const std::vector<Block> blocks = [] {
        const char* sentences[] = {
            "新版本上线后，玩家可以在主城的公告栏查看每日任务和限时活动。",
            "组队副本的难度随队伍人数调整，四人队伍的奖励最为丰厚。",
            "Players who log in every day receive a bonus chest on the seventh day.",
            "法师在中期的输出提升明显，但需要注意走位，避免被近战职业近身。",
            "每周五晚上八点开启公会战，胜利的公会可以获得专属称号和坐骑。",
            "充值返利活动期间，单日累计充值满一百元即可领取额外的平台币。",
            "The new dungeon has three bosses, and the last one changes phase at half health.",
            "建议新手优先完成主线任务，解锁日常玩法后再参加竞技场。",
        };
        std::vector<Block> out{{Block::Title, "勇者之路：新手到高手的完整攻略"}};
        size_t bytes = 0;
        for (int section = 1; bytes < 100 * 1024; ++section) {
            out.push_back({Block::Heading, "第" + std::to_string(section) + "章 冒险的准备与成长路线"});
            for (int p = 0; p < 5; ++p) {
                std::string text;
                for (int s = 0; s < 6; ++s) text += sentences[(section * 7 + p * 3 + s) % 8];
                bytes += text.size();
                out.push_back({Block::Paragraph, text});
            }
            for (int i = 0; i < 4; ++i) out.push_back({Block::Item, sentences[(section + i) % 8]});
        }
        return out;
    }();
    return blocks;
}

const ns::DataRef& articleHTML() {
    static const ns::DataRef data = [] {
        std::string html = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>攻略</title><style>"
                           "body { margin: 0; padding: 12px; font-size: 16px; color: #333; line-height: 1.5; }"
                           "h1 { font-size: 22px; } h2 { font-size: 18px; color: #6036E7; }"
                           "</style></head><body>";
        bool inList = false;
        for (const auto& block : article()) {
            if (inList && block.kind != Block::Item) html += "</ul>", inList = false;
            switch (block.kind) {
            case Block::Title: html += "<h1>" + block.text + "</h1>"; break;
            case Block::Heading: html += "<h2>" + block.text + "</h2>"; break;
            case Block::Paragraph: html += "<p>" + block.text + "</p>"; break;
            case Block::Item:
                if (!inList) html += "<ul>", inList = true;
                html += "<li>" + block.text + "</li>";
                break;
            }
        }
        html += inList ? "</ul></body></html>" : "</body></html>";
        return ns::Data::fromString(html);
    }();
    return data;
}

void Article_WebPage(benchmark::State& state) {
    auto context = cg::Context::CreateBitmap(nullptr, size_t(kWidth * kScale), size_t(kScreen * kScale), 8, 0,
                                             cg::ColorSpace::CreateDeviceRGB(), cg::kBitmapDisplayAlpha);
    context->TranslateCTM(0, kScreen * kScale);
    context->ScaleCTM(kScale, -kScale);
    for (auto _ : state) {
        auto page = wk::Page::make(articleHTML(), std::nullopt, ns::URL::fromString("http://pages.test/article"));
        cg::Size size = page->layout({kWidth, kScreen});
        for (double top = 0; top < size.height; top += kScreen) {
            context->SaveGState();
            context->ClearRect(cg::RectMake(0, 0, kWidth, kScreen));
            context->TranslateCTM(0, -top);
            page->draw(*context, cg::RectMake(0, top, kWidth, kScreen));
            context->RestoreGState();
        }
        benchmark::DoNotOptimize(context->data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(articleHTML()->length()));
}

// The same text with pango alone: one layout per block, stacked, drawn screen by screen.
void Article_Pango(benchmark::State& state) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, int(kWidth * kScale), int(kScreen * kScale));
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, kScale, kScale);
    PangoFontMap* map = pango_cairo_font_map_get_default();
    PangoContext* pango = pango_font_map_create_context(map);
    pango_cairo_font_map_set_resolution(PANGO_CAIRO_FONT_MAP(map), 72);
    struct Placed {
        PangoLayout* layout;
        double top, left;
    };
    for (auto _ : state) {
        std::vector<Placed> placed;
        double top = 12;
        for (const auto& block : article()) {
            double size = block.kind == Block::Title ? 22 : block.kind == Block::Heading ? 18 : 16;
            double left = block.kind == Block::Item ? 12 + 40 : 12;
            PangoLayout* layout = pango_layout_new(pango);
            PangoFontDescription* font = pango_font_description_from_string("Noto Sans CJK SC");
            pango_font_description_set_absolute_size(font, size * PANGO_SCALE);
            if (block.kind == Block::Title || block.kind == Block::Heading) pango_font_description_set_weight(font, PANGO_WEIGHT_BOLD);
            pango_layout_set_font_description(layout, font);
            pango_font_description_free(font);
            pango_layout_set_width(layout, int((kWidth - left - 12) * PANGO_SCALE));
            pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
            pango_layout_set_text(layout, block.text.data(), int(block.text.size()));
            int width = 0, height = 0;
            pango_layout_get_pixel_size(layout, &width, &height);
            placed.push_back({layout, top, left});
            top += height + (block.kind == Block::Item ? 0 : size);
        }
        for (double screen = 0; screen < top; screen += kScreen) {
            cairo_save(cr);
            cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
            cairo_paint(cr);
            cairo_restore(cr);
            for (const auto& p : placed) {
                int width = 0, height = 0;
                pango_layout_get_pixel_size(p.layout, &width, &height);
                if (p.top + height < screen || p.top > screen + kScreen) continue;
                cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
                cairo_move_to(cr, p.left, p.top - screen);
                pango_cairo_show_layout(cr, p.layout);
            }
        }
        for (auto& p : placed) g_object_unref(p.layout);
        cairo_surface_flush(surface);
        benchmark::DoNotOptimize(cairo_image_surface_get_data(surface));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(articleHTML()->length()));
    g_object_unref(pango);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}

BENCHMARK(Article_WebPage)->Unit(benchmark::kMillisecond);
BENCHMARK(Article_Pango)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return benchratio::runWithRatios(argc, argv, {{"Article_WebPage", "Article_Pango", "100kB article"}},
                                     {.title = "web page / pango alone", .cpuTime = true, .width = 20});
}
