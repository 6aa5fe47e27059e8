#include "ui/theme.h"

#include "core/palette.h"

#include <gtkmm/stylecontext.h>

void choose_palette(Gtk::Widget& widget) {
    Gdk::RGBA base;
    const bool dark = widget.get_style_context()->lookup_color("theme_base_color", base) &&
                      (base.get_red() + base.get_green() + base.get_blue()) / 3 < 0.5;
    use_palette(dark ? DARK_PALETTE : LIGHT_PALETTE);
}
