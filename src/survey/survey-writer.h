// The survey file's text, made from the answers.
#pragma once

#include "core/errors.h"
#include "survey/survey-answers.h"

#include <glibmm/ustring.h>

class AbundanceChoices;
class SurveyData;

// Writes the survey document. survey tells which species its type and view
// record and which abundance list each takes; the invertebrates take list 99
// of choices. RC_ERROR, with the reason in error_message, when an abundance
// has no response code to send.
RetCode write_survey_xml(const SurveyAnswers& answers, const SurveyData& survey,
                         const AbundanceChoices* choices, Glib::ustring& text,
                         Glib::ustring& error_message);

// The first line "uname -a" prints, written into every survey: the command
// runs once, at the first call, which may come from any thread.
const Glib::ustring& platform_line();
