#include "refdata/data-params.h"

DataParams::DataParams(const std::string& dir) {
    valid = read_file(dir + "data-parameters.csv") == RC_OK;
}

RetCode DataParams::process_headings(const std::vector<Glib::ustring>& h) {
    static const char* const expected[] = {"parameter", "value", nullptr};
    return locate_headings(h, expected, {&col_parameter, &col_value});
}

RetCode DataParams::process_line(const std::vector<Glib::ustring>& fields) {
    if (fields.empty()) return RC_OK;
    params[field(fields, col_parameter)] = field_int(field(fields, col_value));
    return RC_OK;
}
