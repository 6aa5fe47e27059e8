#include "ui/progress-window.h"

#include "core/errors.h"
#include "ui/dialogs.h"
#include "ui/my-app.h"

#include <glibmm/main.h>

namespace {
std::string size_text(uint64_t bytes) {
    if (bytes < 10 * 1024) return format("%llu bytes", (unsigned long long)bytes);
    if (bytes < 10 * 1024 * 1024) return format("%llu KB", (unsigned long long)(bytes >> 10));
    return format("%.1f MB", double(bytes) / (1024 * 1024));
}
} // namespace

ProgressWindow::ProgressWindow(Gtk::Window& parent, NetSession& session) {
    window.set_transient_for(parent);
    window.set_modal(true);
    window.set_title("TAVRO Survey");
    window.set_icon_list(MyApp::icon_list);
    window.set_resizable(false);
    window.set_deletable(false);
    window.set_position(Gtk::WIN_POS_CENTER_ON_PARENT);
    window.set_border_width(16);
    label.set_xalign(0);
    label.set_line_wrap(true);
    label.set_max_width_chars(50);
    amount.set_xalign(0);
    bar.set_size_request(320, -1);
    box.pack_start(label);
    box.pack_start(bar);
    box.pack_start(amount);
    cancel.set_halign(Gtk::ALIGN_END);
    box.pack_start(cancel);
    window.add(box);
    cancel.signal_clicked().connect([this, &session] {
        session.cancel();
        label.set_text("Cancelling...");
        cancel.set_sensitive(false);
    });
    // Escape cancels too, as in any dialog.
    window.signal_key_press_event().connect([this](GdkEventKey* key) {
        if (key->keyval != GDK_KEY_Escape) return false;
        if (cancel.get_sensitive()) cancel.clicked();
        return true;
    });
}

ProgressWindow::~ProgressWindow() {
    pulse.disconnect();
    set_busy_window(nullptr);
}

void ProgressWindow::step(const std::string& what) {
    if (!cancel.get_sensitive()) return;
    label.set_text(what);
    window.get_accessible()->set_name(what);
    amount.set_text("");
    bar.set_fraction(0);
    total_known = false;
    if (!pulse.connected())
        pulse = Glib::signal_timeout().connect(
            [this] {
                if (!total_known) bar.pulse();
                return true;
            },
            150);
    if (!window.get_visible()) {
        set_busy_window(&window);
        window.show_all();
        cancel.grab_focus();
    }
}

void ProgressWindow::bytes(uint64_t done, int64_t total) {
    total_known = total > 0;
    if (total_known) bar.set_fraction(std::min(1.0, double(done) / double(total)));
    amount.set_text(total_known ? size_text(done) + " of " + size_text(uint64_t(total))
                                : size_text(done));
}
