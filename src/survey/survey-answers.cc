#include "survey/survey-answers.h"

bool SurveyAnswers::operator==(const SurveyAnswers& o) const {
    return member_id == o.member_id && last_name == o.last_name && subregion == o.subregion &&
           survey_subtype == o.survey_subtype && year == o.year && month == o.month &&
           mday == o.mday && dive_start == o.dive_start && zonecode == o.zonecode &&
           surface_temp == o.surface_temp && bottom_temp == o.bottom_temp &&
           temp_units == o.temp_units && bottom_time == o.bottom_time &&
           bottom_time_confirmed == o.bottom_time_confirmed && visibility == o.visibility &&
           avg_depth == o.avg_depth && max_depth == o.max_depth && current == o.current &&
           habitat == o.habitat && species_view == o.species_view && abundances == o.abundances &&
           show_common == o.show_common && show_scientific == o.show_scientific &&
           show_both == o.show_both && show_spanish == o.show_spanish;
}
