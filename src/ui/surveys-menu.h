// The Surveys menu: a repeat dive, the member details kept between runs, and
// the store's backup and restore.
#pragma once
#include "survey/survey-answers.h"
#include "ui/window-menus.h"

#include <glibmm/ustring.h>
#include <sigc++/connection.h>
#include <string>

class SurveyWindow;

class SurveysMenu {
public:
    explicit SurveysMenu(SurveyWindow& window);
    ~SurveysMenu();
    void add_handlers(WindowMenus::Handlers& handlers);
    // Once the pages are made: a new survey gets the kept member details, the
    // details typed are kept, and the Start page's button acts.
    void connect_pages();

    // A new window with what a second dive at the same site shares with this
    // survey, or with the survey chosen on the Start page; the first field
    // left to answer has the focus.
    void new_survey_from_this();
    void back_up();
    void restore();
    void forget_member_details();

private:
    SurveyWindow& window;
    sigc::connection keeping; // the details typed, written a moment later
    void open_repeat(const SurveyAnswers& first);
};
