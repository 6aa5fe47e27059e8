// Makes sure that web and mail links shown by the program can be opened.
#pragma once

#include <functional>
#include <string>

// Looks a program up on the PATH; returns its full path or empty.
using ProgramFinder = std::function<std::string(const std::string&)>;

// The command line to register for a URI scheme that has no handler yet, or
// empty when there is no program we can safely use. It never names a program
// that asks the desktop for the scheme's default again, as that program would
// hand the link straight back to us.
std::string fallback_link_command(const std::string& scheme, const ProgramFinder& find);

// True for programs that open a link by asking the desktop for its default.
bool resolves_default_handler(const std::string& program_path);

// For "http", "https" and "mailto": report the default handler, or register
// our fallback when there is none.
void ensure_link_handlers();
