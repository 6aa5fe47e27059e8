#include "refdata/data-defs.h"

DataDefs::DataDefs(const std::string& dir) {
    valid = read_file(dir + "data-definitions.csv") == RC_OK;
}

RetCode DataDefs::process_headings(const std::vector<Glib::ustring>& h) {
    static const char* const expected[] = {"group", "value", "label", nullptr};
    return locate_headings(h, expected, {&col_group, &col_value, &col_label});
}

RetCode DataDefs::process_line(const std::vector<Glib::ustring>& fields) {
    bool at_end = fields.empty();
    if (at_end || field(fields, col_group) != current_group) {
        if (!current_group.empty()) {
            Def& def = defs[current_group];
            def.labels = std::move(current_labels);
            def.values = std::move(current_values);
        }
        current_group.clear();
        current_labels.clear();
        current_values.clear();
        current_labels.reserve(50);
        current_values.reserve(50);
        if (at_end) return RC_OK;
        current_group = field(fields, col_group);
    }
    int code = field_int(field(fields, col_value));
    const Glib::ustring& label = field(fields, col_label);
    if (code == 0 && label.empty()) return RC_OK;
    current_values.push_back(code);
    current_labels.push_back(label);
    return RC_OK;
}
