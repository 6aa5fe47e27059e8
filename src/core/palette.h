// The colours the program writes into its markup. A dark theme gets colours
// of its own: the light ones would be dark text on dark grey, or light
// shading behind light text.
#pragma once
#include <string>

struct Palette {
    const char* family;      // family rows and their "Family" cells
    const char* fault;       // answers that must be fixed
    const char* rarity_1;    // shading of species of limited range
    const char* rarity_2;    // shading of species of the oceanic islands
    const char* shaded_text; // text on the shading; null: the theme's own
};

extern const Palette LIGHT_PALETTE;
extern const Palette DARK_PALETTE;

// The palette of the windows being made; the light one until told otherwise.
const Palette& palette();
void use_palette(const Palette& chosen);

// The markup that opens a family name, a fault and a species' shading by its
// rarity (empty below 1), from the palette in use.
std::string family_style();
std::string fault_start();
std::string rarity_shade(int rarity);

// The contrast ratio of two colours ("#rgb", "#rrggbb", "red", "blue",
// "white" or "black"), from 1 to 21; 0 when either cannot be read.
double contrast_ratio(const std::string& one, const std::string& other);
