#include "survey/survey-data.h"

#include "core/errors.h"

Glib::ustring SurveyXMLinfo::get_current_version_str() const {
    return format("%d.%d", current_major, current_minor);
}
