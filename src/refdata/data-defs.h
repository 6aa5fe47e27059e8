// Small code tables (groups of integer codes with labels) for drop-down boxes.
#pragma once

#include "refdata/from-csv.h"

class DataDefs : public FromCSV {
public:
    std::map<Glib::ustring, FromCSV::Def, ByteLess> defs;
    Glib::ustring current_group;
    std::vector<Glib::ustring> current_labels;
    std::vector<int> current_values;

    explicit DataDefs(const std::string& dir);
    RetCode process_line(const std::vector<Glib::ustring>& fields) override;
    RetCode process_headings(const std::vector<Glib::ustring>& headings) override;

private:
    int col_group = -1, col_value = -1, col_label = -1;
};
