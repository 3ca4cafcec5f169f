#pragma once
// The text engine behind fonts and text layout: pango over a fontconfig configuration that holds
// only the system font's files, so measurements are the same on every machine with the same
// Debian packages. Pango objects are not thread-safe: every use holds lock().

#include <pango/pango.h>

#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace vx::text::engine {

// Family of the system font.
inline constexpr const char* kSystemFamily = "Noto Sans CJK SC";

std::unique_lock<std::recursive_mutex> lock();
// The shared context (72 dpi, so one point is one unit; unhinted metrics; unrounded positions).
PangoContext* context();

// The platform's weight scale (-1 … 1) against the CSS scale (100 … 900), nearest step.
int cssWeightOf(double weight);
double platformWeightOf(int cssWeight);

// Metrics of a face, per point of size.
struct FaceInfo {
    std::string family;
    std::string postScriptName;
    double ascentPerPoint = 0;
    double descentPerPoint = 0;
};
// The face used for a family at a weight on the CSS scale (400 regular, 700 bold); an unknown
// family answers the system font's face.
FaceInfo face(const std::string& family, int cssWeight);
// A family or PostScript name this configuration has: its family and CSS weight.
struct Named {
    std::string family;
    int cssWeight = 400;
};
std::optional<Named> lookup(const std::string& name);

// Pango needs valid UTF-8: each byte that starts no valid character (and NUL) becomes U+FFFD,
// one UTF-16 unit like the byte it replaces, so UTF-16 ranges still point at the same characters.
std::string validUTF8(std::string_view s);
// The same, at most `limit` bytes of it (whole characters); `cut` is set when there was more.
std::string validUTF8(std::string_view s, size_t limit, bool& cut);

} // namespace vx::text::engine
