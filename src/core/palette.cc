#include "core/palette.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

// The light colours are those the pages have always had.
const Palette LIGHT_PALETTE = {"blue", "red", "#9cf", "#c60", nullptr};
// Light blue and light red read on dark grey; the shading is deep enough
// for white text.
const Palette DARK_PALETTE = {"#99c1f1", "#ff7b72", "#1c5a8c", "#8a4500", "#ffffff"};

namespace {

const Palette* current = &LIGHT_PALETTE;

bool read_colour(const std::string& text, double rgb[3]) {
    static const struct {
        const char* name;
        const char* hex;
    } names[] = {{"red", "#f00"}, {"blue", "#00f"}, {"white", "#fff"}, {"black", "#000"}};
    std::string hex = text;
    for (const auto& n : names)
        if (text == n.name) hex = n.hex;
    if (hex.empty() || hex[0] != '#' || (hex.size() != 4 && hex.size() != 7)) return false;
    if (hex.find_first_not_of("0123456789abcdefABCDEF", 1) != std::string::npos) return false;
    const size_t digits = (hex.size() - 1) / 3;
    for (size_t i = 0; i < 3; ++i) {
        std::string part = hex.substr(1 + i * digits, digits);
        if (digits == 1) part += part;
        rgb[i] = std::strtol(part.c_str(), nullptr, 16) / 255.0;
    }
    return true;
}

// Relative luminance of an sRGB colour.
double luminance(const double rgb[3]) {
    double linear[3];
    for (int i = 0; i < 3; ++i)
        linear[i] = rgb[i] <= 0.03928 ? rgb[i] / 12.92 : std::pow((rgb[i] + 0.055) / 1.055, 2.4);
    return 0.2126 * linear[0] + 0.7152 * linear[1] + 0.0722 * linear[2];
}

} // namespace

const Palette& palette() {
    return *current;
}

void use_palette(const Palette& chosen) {
    current = &chosen;
}

std::string family_style() {
    return std::string("<span weight=\"bold\" fgcolor=\"") + current->family + "\">";
}

std::string fault_start() {
    return std::string("<span weight=\"bold\" fgcolor=\"") + current->fault + "\">";
}

std::string rarity_shade(int rarity) {
    if (rarity < 1) return "";
    return std::string("<span background=\"") +
           (rarity == 1 ? current->rarity_1 : current->rarity_2) + "\">";
}

double contrast_ratio(const std::string& one, const std::string& other) {
    double a[3], b[3];
    if (!read_colour(one, a) || !read_colour(other, b)) return 0;
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}
