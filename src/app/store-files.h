// The survey store's files: their names, which of a folder's entries are
// surveys, and writing and moving them without ever replacing another file.
#pragma once

#include <string>
#include <vector>

extern const char* const SURVEY_EXTENSION;     // ".TAVRO-Survey"
extern const char* const OLD_SURVEY_EXTENSION; // ".TAVRO_survey", still read

// What the survey gives to a file name (member number, zone code) made into
// a name part that is safe in one folder and listed: a leading "." becomes
// "_", and so do "/" and the control characters.
std::string safe_name_part(const std::string& text);

// The name of a survey file without extension, from its answers: member
// number, location, date, dive start and zone, cut at a character boundary
// so that a counter up to "-999" and the extension still fit the file
// system's 255 bytes.
std::string survey_file_stem(const std::string& member, const std::string& subregion, int year,
                             int month, int mday, const std::string& dive_start,
                             const std::string& zone);

// A folder entry of this name is a survey the store lists: the current or
// the older extension, and not a save's temporary file.
bool is_survey_file_name(const std::string& name);
// The same for a path, which must also be a regular file (a link is not).
bool is_listed_survey(const std::string& path);
// The surveys of a store folder in byte order of their paths; the one
// listing behind the Start page, File > Open and the upload of all surveys.
std::vector<std::string> list_survey_files(const std::string& folder);

// A survey file name as the store writes it: safe, and with the current
// extension. A file whose name is the canonical one of another is the same
// survey under its safe name.
std::string canonical_survey_name(const std::string& name);

// A file of this name holds the survey whose name is stem: stem with the
// extension, with a counter, or the unsafe or older form of one of these.
bool same_survey_name(const std::string& name, const std::string& stem);

struct SavedSurvey {
    std::string path, etag;
};
// Writes a survey into folder as stem with the extension, else with "-1",
// "-2" and so on before it: the first name that is free, or own_path (the
// survey's own file, replaced after its entity-tag check against own_etag).
// Two programs saving at once never take the same free name. Throws
// std::runtime_error; FolderNotSynced when the file is in place but its
// folder was not flushed.
SavedSurvey save_survey_file(const std::string& folder, const std::string& stem,
                             const std::string& data, const std::string& own_path,
                             const std::string& own_etag);

// Moves a survey file into folder under its safe name, or the next free one
// with a counter; the new path. Throws std::runtime_error with the target.
std::string move_survey_file(const std::string& path, const std::string& folder);
