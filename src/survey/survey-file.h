// Survey files from disk: read safely, parsed without reaching outside the
// file, and checked to be a survey this program can open.
#pragma once

#include <glibmm/ustring.h>
#include <libxml++/nodes/element.h>
#include <libxml++/parsers/domparser.h>
#include <string>

// Larger files are no surveys (a survey of every species of a region is a
// few hundred kilobytes) and are refused before parsing.
const size_t MAX_SURVEY_FILE_BYTES = 10 * 1024 * 1024;

// Reads a whole survey file. Only a regular file qualifies: a pipe or a device
// would block or never end. False, with the reason in message, otherwise.
bool read_survey_file(const std::string& path, std::string& text, Glib::ustring& message);

// A parsed survey file whose root and top level are those of a survey.
class SurveyDocument {
public:
    // Reads, parses and checks the file; false with error set when it is no
    // survey this program opens.
    bool load(const std::string& path);
    // The same for a document already in memory.
    bool load_text(const std::string& text);

    const xmlpp::Element* survey = nullptr; // the "survey" element
    Glib::ustring error;

private:
    xmlpp::DomParser parser;
};

// The text of the node's text and CDATA children, in order; empty for none.
Glib::ustring get_content(const xmlpp::Node* node);
// An element's attribute; empty when absent or for other nodes.
Glib::ustring get_attr(const xmlpp::Node* node, const Glib::ustring& name);
// atoi of the attribute: 0 when absent or not a number.
int get_numeric_attr(const xmlpp::Node* node, const Glib::ustring& name);
// A text node of white space only.
bool is_white_space(const xmlpp::Node* node);
