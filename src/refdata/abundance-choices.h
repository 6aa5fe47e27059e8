// The abundance categories that can be recorded for a species, per survey subtype.
#pragma once

#include "refdata/from-csv.h"

#include <cstdint>
#include <vector>

class AbundanceChoices : public FromCSV {
public:
    struct Choice {
        int16_t responseid; // sent with a survey; -1 for generated entries
        int16_t abun;
        Glib::ustring label;
    };
    struct SurveySubtypeChoiceInfo {
        // Entry 0 is the generated "None"; entry k is the category with code k.
        std::vector<Choice> choices;
    };

    // The list the invertebrates of every survey use.
    static constexpr int INVERTEBRATE_SUBTYPE = 99;
    // Entry k of a list is code k, so a stray large code would pad a menu with
    // thousands of filler entries.
    static constexpr int MAX_ABUNDANCE_CODE = 1000;

    std::vector<SurveySubtypeChoiceInfo> subtype_choices; // by survey subtype id

    explicit AbundanceChoices(const std::string& dir);
    RetCode process_headings(const std::vector<Glib::ustring>& headings) override;
    RetCode process_line(const std::vector<Glib::ustring>& fields) override;

    // The choices of a subtype; an empty list for a subtype the file doesn't mention.
    const std::vector<Choice>& choices_for(int subtype) const;

private:
    int col_response = -1, col_subtype = -1, col_label = -1, col_abun = -1;
};
