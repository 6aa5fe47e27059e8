#include "survey/survey-data.h"

#include "core/errors.h"

Glib::ustring SurveyXMLinfo::get_current_version_str() const {
    return format("%d.%d", current_major, current_minor);
}

bool SurveyData::is_recorded(int species_id) const {
    auto found = abundances.find(species_id);
    return found != abundances.end() && found->second >= 1 && records_species(species_id);
}

bool SurveyData::records_species(int species_id) const {
    if (!survey_subtype || !region_fish_info) return false;
    const RegionFishInfo::Species* species = region_fish_info->find_species(species_id);
    if (!species) return false;
    if (species->invertebratetype == 0) return show_fish;
    // Invertebrates appear only through the view.
    return show_inverts && species_views &&
           species_views->species_of(species_view).count(species_id) > 0;
}
