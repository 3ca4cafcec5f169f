#include "os/text/Engine.h"

#include "os/foundation/Log.h"

#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>

namespace vx::text::engine {

namespace {

// Where Debian's fonts-noto-cjk puts the system font's two weights.
constexpr const char* kFontDir = "/usr/share/fonts/opentype/noto";
constexpr const char* kFontFiles[] = {"NotoSansCJK-Regular.ttc", "NotoSansCJK-Bold.ttc"};

// Asks the machine's own configuration where the family's files are (another install layout).
int addFilesFromSystem(FcConfig* config) {
    int added = 0;
    FcConfig* system = FcInitLoadConfigAndFonts();
    if (!system) return 0;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(kSystemFamily));
    FcObjectSet* objects = FcObjectSetBuild(FC_FILE, nullptr);
    if (FcFontSet* set = FcFontList(system, pattern, objects)) {
        for (int i = 0; i < set->nfont; ++i) {
            FcChar8* file = nullptr;
            if (FcPatternGetString(set->fonts[i], FC_FILE, 0, &file) == FcResultMatch &&
                FcConfigAppFontAddFile(config, file))
                ++added;
        }
        FcFontSetDestroy(set);
    }
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    FcConfigDestroy(system);
    return added;
}

// A configuration with no fonts but the system font's two files, so no other installed font can
// take part in matching or fallback, and one rule: a slant for italic. Fonts come through the machine's font
// caches (fc-cache runs when the package is installed), so nothing is scanned at start-up.
FcConfig* configForFiles() {
    std::string xml = "<?xml version=\"1.0\"?><fontconfig>"
                      "<cachedir>/var/cache/fontconfig</cachedir><cachedir prefix=\"xdg\">fontconfig</cachedir>"
                      "<dir>" + std::string(kFontDir) + "</dir><selectfont><rejectfont><glob>*</glob></rejectfont>"
                      "<acceptfont>";
    for (const char* file : kFontFiles) xml += "<glob>" + std::string(kFontDir) + "/" + file + "</glob>";
    // The face has no italic: text asked for in italic is slanted (fontconfig's usual rule).
    xml += "</acceptfont></selectfont>"
           "<match target=\"font\"><test name=\"slant\"><const>roman</const></test>"
           "<test target=\"pattern\" name=\"slant\" compare=\"not_eq\"><const>roman</const></test>"
           "<edit name=\"matrix\" mode=\"assign\"><times><name>matrix</name><matrix><double>1</double>"
           "<double>0.2</double><double>0</double><double>1</double></matrix></times></edit>"
           "<edit name=\"slant\" mode=\"assign\"><const>oblique</const></edit></match></fontconfig>";
    FcConfig* config = FcConfigCreate();
    if (!FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(xml.c_str()), FcTrue) ||
        !FcConfigBuildFonts(config)) {
        FcConfigDestroy(config);
        return nullptr;
    }
    return config;
}

int fontCount(FcConfig* config) {
    FcFontSet* set = FcConfigGetFonts(config, FcSetSystem);
    return set ? set->nfont : 0;
}

FcConfig* makeConfig() {
    FcConfig* config = configForFiles();
    if (config && fontCount(config) > 0) return config;
    if (config) FcConfigDestroy(config);
    config = FcConfigCreate();
    if (addFilesFromSystem(config) > 0) return config;
    ns::Log::write("text: the system font \"Noto Sans CJK SC\" is not installed (fonts-noto-cjk); "
                   "using the machine's fonts, measurements will differ");
    FcConfigDestroy(config);
    return FcInitLoadConfigAndFonts();
}

struct Engine {
    FcConfig* config = nullptr;
    PangoFontMap* fontMap = nullptr;
    PangoContext* context = nullptr;
    std::map<std::pair<std::string, int>, FaceInfo> faces;

    Engine() {
        config = makeConfig();
        fontMap = pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT);
        pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(fontMap), config);
        pango_cairo_font_map_set_resolution(PANGO_CAIRO_FONT_MAP(fontMap), 72);
        context = pango_font_map_create_context(fontMap);
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
        cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
        pango_cairo_context_set_font_options(context, options);
        cairo_font_options_destroy(options);
        pango_context_set_round_glyph_positions(context, FALSE);
        pango_context_set_language(context, pango_language_from_string("zh-cn"));
    }
};

Engine& instance() {
    static Engine* engine = new Engine(); // lives for the process: fonts outlive every caller
    return *engine;
}

std::recursive_mutex& mutex() {
    static std::recursive_mutex m;
    return m;
}

std::string patternString(FcPattern* pattern, const char* object) {
    FcChar8* value = nullptr;
    if (FcPatternGetString(pattern, object, 0, &value) == FcResultMatch && value)
        return reinterpret_cast<const char*>(value);
    return {};
}

} // namespace

namespace {

constexpr struct {
    double weight;
    int css;
} kWeights[] = {
    {-0.8, 200}, {-0.6, 100}, {-0.4, 300}, {0.0, 400}, {0.23, 500}, {0.3, 600}, {0.4, 700}, {0.56, 800}, {0.62, 900},
};

} // namespace

int cssWeightOf(double weight) {
    int best = 400;
    double distance = 1e9;
    for (const auto& w : kWeights)
        if (std::abs(w.weight - weight) < distance) {
            distance = std::abs(w.weight - weight);
            best = w.css;
        }
    return best;
}

double platformWeightOf(int css) {
    double best = 0;
    int distance = 1 << 20;
    for (const auto& w : kWeights)
        if (std::abs(w.css - css) < distance) {
            distance = std::abs(w.css - css);
            best = w.weight;
        }
    return best;
}

std::unique_lock<std::recursive_mutex> lock() { return std::unique_lock(mutex()); }

PangoContext* context() { return instance().context; }

FaceInfo face(const std::string& family, int cssWeight) {
    auto guard = lock();
    Engine& e = instance();
    auto key = std::make_pair(family, cssWeight);
    if (auto it = e.faces.find(key); it != e.faces.end()) return it->second;

    // Metrics at a large size keep their precision; they scale linearly with the size.
    constexpr double kProbeSize = 1000;
    PangoFontDescription* desc = pango_font_description_new();
    pango_font_description_set_family(desc, family.c_str());
    pango_font_description_set_weight(desc, static_cast<PangoWeight>(cssWeight));
    pango_font_description_set_absolute_size(desc, kProbeSize * PANGO_SCALE);
    FaceInfo info;
    if (PangoFont* font = pango_font_map_load_font(e.fontMap, e.context, desc)) {
        PangoFontMetrics* metrics = pango_font_get_metrics(font, nullptr);
        info.ascentPerPoint = pango_font_metrics_get_ascent(metrics) / double(PANGO_SCALE) / kProbeSize;
        info.descentPerPoint = pango_font_metrics_get_descent(metrics) / double(PANGO_SCALE) / kProbeSize;
        pango_font_metrics_unref(metrics);
        if (PANGO_IS_FC_FONT(font)) {
            FcPattern* pattern = pango_fc_font_get_pattern(PANGO_FC_FONT(font));
            info.family = patternString(pattern, FC_FAMILY);
            info.postScriptName = patternString(pattern, FC_POSTSCRIPT_NAME);
        }
        g_object_unref(font);
    }
    pango_font_description_free(desc);
    if (info.family.empty()) info.family = family;
    e.faces.emplace(key, info);
    return info;
}

std::optional<Named> lookup(const std::string& name) {
    auto guard = lock();
    Engine& e = instance();
    std::optional<Named> found;
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_POSTSCRIPT_NAME, FC_WEIGHT, nullptr);
    FcPattern* all = FcPatternCreate();
    if (FcFontSet* set = FcFontList(e.config, all, objects)) {
        for (int i = 0; i < set->nfont && !found; ++i) {
            FcPattern* p = set->fonts[i];
            if (patternString(p, FC_POSTSCRIPT_NAME) == name) {
                double weight = FC_WEIGHT_REGULAR;
                int whole = FC_WEIGHT_REGULAR;
                if (FcPatternGetDouble(p, FC_WEIGHT, 0, &weight) != FcResultMatch &&
                    FcPatternGetInteger(p, FC_WEIGHT, 0, &whole) == FcResultMatch)
                    weight = whole;
                found = Named{patternString(p, FC_FAMILY), static_cast<int>(FcWeightToOpenTypeDouble(weight))};
            }
            FcChar8* family = nullptr;
            for (int k = 0; !found && FcPatternGetString(p, FC_FAMILY, k, &family) == FcResultMatch; ++k)
                if (name == reinterpret_cast<const char*>(family)) found = Named{name, 400};
        }
        FcFontSetDestroy(set);
    }
    FcPatternDestroy(all);
    FcObjectSetDestroy(objects);
    return found;
}

std::string validUTF8(std::string_view s) {
    if (g_utf8_validate(s.data(), static_cast<gssize>(s.size()), nullptr)) return std::string(s);
    std::string out;
    out.reserve(s.size() + 8);
    const char* p = s.data();
    const char* end = p + s.size();
    while (p < end) {
        gunichar c = g_utf8_get_char_validated(p, end - p);
        if (c == 0 || c == static_cast<gunichar>(-1) || c == static_cast<gunichar>(-2)) {
            out += "\xEF\xBF\xBD";
            ++p;
            continue;
        }
        const char* next = g_utf8_next_char(p);
        out.append(p, next);
        p = next;
    }
    return out;
}

std::string validUTF8(std::string_view s, size_t limit, bool& cut) {
    // Every byte gives at least one, so bytes past a character that may straddle limit + 1 only
    // add to what is cut off.
    std::string out = validUTF8(limit < s.size() ? s.substr(0, limit + 4) : s);
    if (out.size() <= limit) return out;
    cut = true;
    size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(out[end]) & 0xC0) == 0x80) --end;
    out.resize(end);
    return out;
}

} // namespace vx::text::engine
