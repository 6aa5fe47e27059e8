#pragma once

// Takes a leading "-d<level>" argument: sets debug_level, prints it, and removes
// the argument so that the toolkit never sees it. Later arguments are left alone.
void take_debug_option(int& argc, char** argv);
