#include "survey/survey-file.h"

#include "core/build-settings.h"
#include "survey/survey-data.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <libxml++/exceptions/exception.h>
#include <libxml++/nodes/cdatanode.h>
#include <libxml++/nodes/textnode.h>
#include <libxml/parser.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Survey files never refer to other files: an entity naming one, or an
// address, would pull its content into the survey and on into the upload.
xmlParserInputPtr no_external_entities(const char*, const char*, xmlParserCtxtPtr) {
    return nullptr;
}
// Why a file of this version can't be opened; empty when it can.
Glib::ustring version_problem(const std::string& version) {
    int major = 0, minor = 0;
    char point = 0, rest = 0;
    if (sscanf(version.c_str(), "%d%c%d%c", &major, &point, &minor, &rest) < 3 || point != '.')
        return "Not a valid saved TAVRO Survey (bad version)";
    const SurveyXMLinfo info;
    if (major < info.oldest_major || (major == info.oldest_major && minor < info.oldest_minor))
        return "Valid saved TAVRO Survey, but too old - contact " +
               std::string(TAVRO_SUPPORT_EMAIL) + " for help";
    if (major > info.current_major)
        return "Valid saved TAVRO Survey, but you need a newer version of this program to open it";
    return "";
}
} // namespace

bool read_survey_file(const std::string& path, std::string& text, Glib::ustring& message) {
    // Non-blocking, so that a pipe given as a survey cannot hold the program.
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        message = Glib::ustring("Failed to open file: ") + strerror(errno);
        return false;
    }
    struct stat st;
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (!ok) message = "Not a survey file";
    text.clear();
    char buffer[65536];
    while (ok) {
        ssize_t got = read(fd, buffer, sizeof buffer);
        if (got > 0) {
            text.append(buffer, static_cast<size_t>(got));
            if (text.size() > MAX_SURVEY_FILE_BYTES) {
                message = "File too large for a survey";
                ok = false;
            }
        } else if (got == 0) {
            break;
        } else if (errno != EINTR) {
            message = Glib::ustring("Failed to read file: ") + strerror(errno);
            ok = false;
        }
    }
    close(fd);
    return ok;
}

bool SurveyDocument::load(const std::string& path) {
    std::string text;
    if (!read_survey_file(path, text, error)) return false;
    return load_text(text);
}

bool SurveyDocument::load_text(const std::string& text) {
    survey = nullptr;
    error.clear();
    xmlSetExternalEntityLoader(no_external_entities);
    try {
        // The document's own entities are replaced; nothing from the network,
        // and libxml2's guard against entity bombs stays on.
        parser.set_substitute_entities(true);
        parser.set_parser_options(XML_PARSE_NONET, XML_PARSE_HUGE | XML_PARSE_DTDLOAD);
        parser.parse_memory(text);
    } catch (const xmlpp::exception& e) {
        error = e.what();
        return false;
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
    const xmlpp::Document* document = parser.get_document();
    const xmlpp::Element* root = document ? document->get_root_node() : nullptr;
    if (!root) {
        error = "Failed to parse survey";
        return false;
    }
    if (root->get_name() != SurveyXMLinfo().root_tag && root->get_name() != "TAVRO_Fish_Survey") {
        error = "Not a valid saved TAVRO Survey";
        return false;
    }
    error = version_problem(get_attr(root, "version").raw());
    if (!error.empty()) return false;
    const auto children = root->get_children();
    auto child = children.begin();
    if (child != children.end() && is_white_space(*child)) ++child;
    if (child == children.end()) {
        error = "TAVRO Survey missing top level children";
        return false;
    }
    const xmlpp::Node* first = *child;
    for (++child; child != children.end(); ++child)
        if (!is_white_space(*child)) {
            error = "TAVRO Survey has too many top level children (" + first->get_name() + ", " +
                    (*child)->get_name() + ")";
            return false;
        }
    survey = dynamic_cast<const xmlpp::Element*>(first);
    if (!survey || first->get_name() != "survey") {
        survey = nullptr;
        error = "TAVRO Survey has a problem - missing 'survey' tag";
        return false;
    }
    return true;
}

Glib::ustring get_content(const xmlpp::Node* node) {
    // All of the element's own text: a CDATA section, or text a comment
    // splits, is as much the value as plain text.
    Glib::ustring content;
    if (node)
        for (const xmlpp::Node* child : node->get_children())
            if (dynamic_cast<const xmlpp::TextNode*>(child) ||
                dynamic_cast<const xmlpp::CdataNode*>(child))
                content += static_cast<const xmlpp::ContentNode*>(child)->get_content();
    return content;
}

Glib::ustring get_attr(const xmlpp::Node* node, const Glib::ustring& name) {
    const auto* element = dynamic_cast<const xmlpp::Element*>(node);
    return element ? element->get_attribute_value(name) : "";
}

int get_numeric_attr(const xmlpp::Node* node, const Glib::ustring& name) {
    return atoi(get_attr(node, name).c_str());
}

bool is_white_space(const xmlpp::Node* node) {
    const auto* text = dynamic_cast<const xmlpp::TextNode*>(node);
    return text && text->is_white_space();
}
