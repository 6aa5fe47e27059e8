// The offer, at start, to restore the surveys of windows that did not close normally.
#pragma once

#include <vector>

class MyApp;
class SurveyWindow;

// Asks about each survey left by a window that did not close normally,
// once; the windows of those restored, shown.
std::vector<SurveyWindow*> restore_unsaved_surveys(MyApp& app);
