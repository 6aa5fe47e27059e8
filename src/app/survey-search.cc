#include "app/survey-search.h"

#include "core/errors.h"
#include "core/misc.h"

#include <glibmm/miscutils.h>

Glib::ustring survey_search_text(const std::string& path, int member,
                                 const std::string& description) {
    return fold_for_search(description + " " + std::to_string(member) + " " +
                           Glib::path_get_basename(path));
}

std::vector<Glib::ustring> search_words(const Glib::ustring& typed) {
    std::vector<Glib::ustring> words;
    const std::string folded = fold_for_search(typed).raw();
    size_t at = 0;
    while ((at = folded.find_first_not_of(" \t", at)) != std::string::npos) {
        const size_t end = folded.find_first_of(" \t", at);
        words.emplace_back(folded.substr(at, end == std::string::npos ? end : end - at));
        at = end;
    }
    return words;
}

bool survey_matches(const Glib::ustring& search_text, const std::vector<Glib::ustring>& words) {
    for (const Glib::ustring& word : words)
        if (search_text.raw().find(word.raw()) == std::string::npos) return false;
    return true;
}

std::string survey_count_line(int in_progress, int ready, int uploaded, int found, bool searching) {
    const int all = in_progress + ready + uploaded;
    std::string line =
        format("%d in progress, %d ready to upload, %d uploaded", in_progress, ready, uploaded);
    if (searching)
        line = format("%d of %d %s found", found, all, all == 1 ? "survey" : "surveys") + " (" +
               line + ")";
    return line + ".";
}
