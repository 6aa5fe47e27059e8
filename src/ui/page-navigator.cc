#include "ui/page-navigator.h"

#include "ui/confirm-panel.h"
#include "ui/drop-down-box.h"
#include "ui/listed-panel.h"
#include "ui/member-panel.h"
#include "ui/page-focus.h"
#include "ui/start-panel.h"
#include "ui/survey-panel1.h"
#include "ui/survey-panel2.h"

#include <iterator>

void PageNavigator::back() {
    pages.notebook.prev_page();
    focus_page_start();
}

void PageNavigator::next() {
    StartPanel& start = pages.start;
    if (pages.notebook.get_current_page() == start.page_number &&
        !start.lookup_selected_survey(nullptr).empty()) {
        start.on_edit_view_button();
        return;
    }
    pages.notebook.next_page();
    focus_page_start();
}

void PageNavigator::go_to(SurveyField field) {
    SurveyPanel1& p1 = pages.p1;
    SurveyPanel2& p2 = pages.p2;
    Gtk::Widget* const fields[] = {pages.member.member_id,
                                   pages.member.last_name,
                                   p1.survey_subtype,
                                   p1.year,
                                   p1.dive_start,
                                   p1.zonecode,
                                   p2.surface_temp,
                                   p2.bottom_temp,
                                   p2.bottom_time,
                                   p2.visibility,
                                   p2.avg_depth,
                                   p2.max_depth,
                                   p2.current,
                                   p2.habitat,
                                   pages.listed.species_tree};
    const size_t at = static_cast<size_t>(field);
    show_and_focus(pages.notebook, at < std::size(fields) ? fields[at] : nullptr);
}

void PageNavigator::focus_page_start(bool entry) {
    if (!pages.window.get_mapped()) {
        // Tab order follows where controls are, which a window not yet on
        // the screen does not know.
        when_mapped.disconnect();
        when_mapped = pages.window.signal_map().connect([this, entry] {
            when_mapped.disconnect();
            focus_page_start(entry);
        });
        return;
    }
    const int page = pages.notebook.get_current_page();
    Gtk::Widget* shown = pages.notebook.get_nth_page(page);
    const bool confirming = page == pages.confirm.page_number;
    Gtk::Widget* start = confirming ? pages.confirm.first_fault() : nullptr;
    if (!start && confirming && pages.ready.get_sensitive()) start = &pages.ready;
    if (start)
        start->grab_focus();
    else if (shown)
        focus_page_top(pages.window, *shown, entry);
}
