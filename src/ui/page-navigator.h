// Back, Next and Go to among the survey window's pages, and where the
// keyboard starts on the page they show.
#pragma once

#include "survey/survey-checks.h"

#include <gtkmm/button.h>
#include <gtkmm/notebook.h>
#include <gtkmm/window.h>
#include <sigc++/connection.h>
#include <sigc++/trackable.h>

class StartPanel;
class MemberPanel;
class SurveyPanel1;
class SurveyPanel2;
class ListedPanel;
class ConfirmPanel;

class PageNavigator : public sigc::trackable {
public:
    // The window's notebook, the pages the rules name, and Ready.
    struct Pages {
        Gtk::Window& window;
        Gtk::Notebook& notebook;
        StartPanel& start;
        MemberPanel& member;
        SurveyPanel1& p1;
        SurveyPanel2& p2;
        ListedPanel& listed;
        ConfirmPanel& confirm;
        Gtk::Button& ready;
    };
    explicit PageNavigator(const Pages& pages) : pages(pages) {}
    PageNavigator(const PageNavigator&) = delete;
    PageNavigator& operator=(const PageNavigator&) = delete;

    void back();
    // From the Start page with a survey chosen in its list: opens that survey.
    void next();
    // Shows the page of an answer with the keyboard on its field.
    void go_to(SurveyField field);
    // The keyboard at the top of the page shown: its first control, or its
    // first entry; on the Confirmation page, the first answer at fault, else
    // Ready. Waits for the window to be on the screen.
    void focus_page_start(bool entry = false);

private:
    Pages pages;
    sigc::connection when_mapped;
};
