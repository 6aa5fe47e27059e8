#include "ui/no-match-heading.h"

#include "core/misc.h"

#include <cstdlib>
#include <glibmm/main.h>

void NoMatchHeading::attach(Gtk::Label* heading, Gtk::Entry* search) {
    label = heading;
    entry = search;
    if (!label) return;
    text = label->get_text();
    // Five long names would otherwise widen the whole page.
    label->set_line_wrap(true);
    label->signal_activate_link().connect(sigc::mem_fun(*this, &NoMatchHeading::on_link), false);
}

void NoMatchHeading::offer(const std::vector<Glib::ustring>& offered_names) {
    if (!label || offered_names == names) return;
    names = offered_names;
    Glib::ustring markup = escape_markup(text);
    for (size_t i = 0; i < names.size(); ++i)
        markup += Glib::ustring(i ? ", " : "  Did you mean ") +
                  "<a href=\"suggestion:" + Glib::ustring::format(i) + "\">" +
                  escape_markup(names[i]) + "</a>";
    label->set_markup(markup + (names.empty() ? "" : "?"));
}

bool NoMatchHeading::on_link(const Glib::ustring& uri) {
    const std::string prefix = "suggestion:";
    if (uri.raw().compare(0, prefix.size(), prefix) != 0) return false;
    const size_t i = static_cast<size_t>(atoi(uri.raw().c_str() + prefix.size()));
    if (i >= names.size() || !entry) return true;
    // Once the label is done with its link: the search rewrites the label.
    Glib::signal_idle().connect_once(
        sigc::bind(sigc::mem_fun(*this, &NoMatchHeading::search_for), names[i]));
    return true;
}

void NoMatchHeading::search_for(Glib::ustring name) {
    entry->set_text(name);
    entry->grab_focus();
    entry->set_position(-1);
}
