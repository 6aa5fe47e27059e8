// What the Start page's search finds, and the counts above its list.
#pragma once
#include <glibmm/ustring.h>
#include <string>
#include <vector>

// The text a survey is found by: its description, member number and file
// name, folded as the searches compare text.
Glib::ustring survey_search_text(const std::string& path, int member,
                                 const std::string& description);

// The words of what was typed, folded; blanks separate them.
std::vector<Glib::ustring> search_words(const Glib::ustring& typed);

// Whether a survey's search text holds every word (no words: every survey).
bool survey_matches(const Glib::ustring& search_text, const std::vector<Glib::ustring>& words);

// The line above the list: how many surveys each folder holds, and while a
// search is on, how many of them it found.
std::string survey_count_line(int in_progress, int ready, int uploaded, int found, bool searching);
