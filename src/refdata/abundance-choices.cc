#include "refdata/abundance-choices.h"

#include <cstdio>

AbundanceChoices::AbundanceChoices(const std::string& dir) {
    valid = read_file(dir + "abundance-choices.csv") == RC_OK;
}

const std::vector<AbundanceChoices::Choice>& AbundanceChoices::choices_for(int subtype) const {
    static const std::vector<Choice> none;
    if (subtype < 0 || static_cast<size_t>(subtype) >= subtype_choices.size()) return none;
    return subtype_choices[subtype].choices;
}

RetCode AbundanceChoices::process_headings(const std::vector<Glib::ustring>& h) {
    static const char* const expected[] = {"responseid", "survey_subtype_id", "label", "abun",
                                           nullptr};
    return locate_headings(h, expected, {&col_response, &col_subtype, &col_label, &col_abun});
}

RetCode AbundanceChoices::process_line(const std::vector<Glib::ustring>& fields) {
    if (fields.empty()) {
        if (debug_level >= 30) {
            printf("AbundanceChoices:\n");
            for (size_t i = 0; i < subtype_choices.size(); ++i) {
                printf("    %d:\n", static_cast<int>(i));
                for (const Choice& c : subtype_choices[i].choices)
                    printf("        %d: %s = %d\n", c.abun, c.label.c_str(), c.responseid);
            }
            printf("end of AbundanceChoices\n");
        }
        return RC_OK;
    }
    int16_t responseid = static_cast<int16_t>(field_int(field(fields, col_response)));
    long long subtype = field_id(field(fields, col_subtype));
    const int code = field_int(field(fields, col_abun));
    if (!usable_table_id(subtype, "survey subtype id", filename, current_line)) return RC_OK;
    if (code < 0 || code > MAX_ABUNDANCE_CODE) {
        printf("Warning: %s line %d: abundance code %d is out of range; line skipped\n",
               filename.c_str(), current_line, code);
        return RC_OK;
    }
    const int16_t abun = static_cast<int16_t>(code);
    Glib::ustring label = field(fields, col_label);
    if (subtype == INVERTEBRATE_SUBTYPE) {
        if (abun == 1) label = "Present";
        if (abun == 9) return RC_OK;
    }
    if (subtype_choices.size() <= static_cast<size_t>(subtype)) subtype_choices.resize(subtype + 1);
    auto& list = subtype_choices[subtype].choices;
    if (list.empty()) list.push_back({-1, 0, "None"});
    while (static_cast<int>(list.size()) < abun)
        list.push_back({-1, 0, "Oops"});
    list.push_back({responseid, abun, label});
    return RC_OK;
}
