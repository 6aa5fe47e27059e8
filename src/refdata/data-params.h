// Named integer limits used when a survey is checked.
#pragma once

#include "refdata/from-csv.h"

class DataParams : public FromCSV {
public:
    std::map<Glib::ustring, int, ByteLess> params;

    explicit DataParams(const std::string& dir);
    RetCode process_line(const std::vector<Glib::ustring>& fields) override;
    RetCode process_headings(const std::vector<Glib::ustring>& headings) override;

private:
    int col_parameter = -1, col_value = -1;
};
