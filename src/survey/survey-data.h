// The record of the one survey a window edits, and the survey file version rules.
#pragma once

#include "refdata/abundance-choices.h"
#include "refdata/region-fish-info.h"
#include "refdata/region-info.h"
#include "refdata/species-views.h"

#include <glibmm/ustring.h>
#include <map>
#include <string>

// Most answers live in the page widgets; this holds what the widgets cannot:
// the location and its reference data, the abundances, the file identity and
// the XML snapshots that tell whether anything changed.
class SurveyData {
public:
    Glib::ustring region;
    Glib::ustring subregion; // empty: no location chosen yet
    // Reference data of the chosen location and type; owned by the readers.
    const RegionFishInfo* region_fish_info = nullptr;
    const SubregionInfo* subregion_info = nullptr;
    const Region* survey_subtype = nullptr;
    const AbundanceChoices::SurveySubtypeChoiceInfo* subtype_abundance_choices = nullptr;
    int species_view = -1;                       // -1: none applied
    const SpeciesViews* species_views = nullptr; // owned by the reader
    std::string filename;                        // empty while never saved
    std::string file_etag;
    Glib::ustring generated_xml;
    Glib::ustring saved_xml;
    Glib::ustring baseline_xml;
    bool show_fish = false;
    bool show_inverts = false;
    bool show_common_names = false;
    bool show_scientific_names = false;
    bool show_spanish_names = false;
    bool is_complete = false;
    bool already_uploaded = false;
    // Species id to abundance category; 0 means not seen.
    // A survey type or view change leaves it alone, so that switching back
    // shows the hidden species with their categories again.
    std::map<int, int> abundances;

    // A species counts as seen in this survey only when it has a category and
    // the chosen survey type and view show it on one of the species pages;
    // what is counted, confirmed, written and uploaded is this set.
    bool is_recorded(int species_id) const;
    // The same for a species given a category: whether the type and view show it.
    bool records_species(int species_id) const;

    // Resetting a record is assigning a default-constructed one; the defaulted
    // copy keeps every field, and self-assignment leaves the record as it was.
    SurveyData() = default;
    SurveyData(const SurveyData& other) = default;
    SurveyData& operator=(const SurveyData& other) = default;
};

// The survey file format this program writes, and the oldest one it reads.
class SurveyXMLinfo {
public:
    Glib::ustring root_tag = "TAVRO-Survey";
    int current_major = 1;
    int current_minor = 0;
    int oldest_major = 0;
    int oldest_minor = 2;

    Glib::ustring get_current_version_str() const;
};
