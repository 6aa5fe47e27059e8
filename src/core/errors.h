// Result codes, the debug level and the one family of error reporters.
#pragma once

#include <exception>
#include <functional>
#include <glibmm/ustring.h>
#include <string>

enum RetCode {
    RC_OK = 2,
    RC_ERROR = 3,
    RC_MISSING_HEADING = 7,
    RC_CANCELLED = 10,
    RC_INTERNAL_ERROR = 11,
    RC_ASSERTION_FAILED = 12,
    RC_DATA_UPDATED = 15,
};

// Gate for diagnostic printf lines, set by the "-d" option.
extern int debug_level;

#define TAVRO_PRINTF(f, a) __attribute__((format(printf, f, a)))

RetCode error(RetCode rc, const char* fmt, ...) TAVRO_PRINTF(2, 3);
RetCode error_errno(RetCode rc, const char* fmt, ...) TAVRO_PRINTF(2, 3);
[[noreturn]] void fatal(RetCode rc, const char* fmt, ...) TAVRO_PRINTF(2, 3);
[[noreturn]] void fatal_errno(RetCode rc, const char* fmt, ...) TAVRO_PRINTF(2, 3);
RetCode error(const char* fmt, ...) TAVRO_PRINTF(1, 2);
RetCode error_errno(const char* fmt, ...) TAVRO_PRINTF(1, 2);
[[noreturn]] void fatal(const char* fmt, ...) TAVRO_PRINTF(1, 2);
[[noreturn]] void fatal_errno(const char* fmt, ...) TAVRO_PRINTF(1, 2);
// A fatal fault whose dialog also says, below the message, what to do.
[[noreturn]] void fatal_with_advice(const std::string& advice, const char* fmt, ...)
    TAVRO_PRINTF(2, 3);
// That advice while its report is shown; empty for every other report.
const std::string& report_advice();
RetCode titled_error(const Glib::ustring& title, const char* fmt, ...) TAVRO_PRINTF(2, 3);
RetCode titled_error_errno(const Glib::ustring& title, const char* fmt, ...) TAVRO_PRINTF(2, 3);

void set_error_context(const std::string& text);

[[noreturn]] void assert_failure(const char* expression, const char* file, int line);

#define TAVRO_ASSERT(cond)                                                                         \
    do {                                                                                           \
        if (!(cond)) assert_failure(#cond, __FILE__, __LINE__);                                    \
    } while (0)

// Exit status of a fatal error with the given code.
int exit_status_for(RetCode rc);

// The text a caught failure carries, in the words the save and write
// reports use; never empty.
Glib::ustring reason_of(std::exception_ptr failure);

// printf into a string of any length.
std::string vformat(const char* fmt, va_list args);
std::string format(const char* fmt, ...) TAVRO_PRINTF(1, 2);

// The window layer shows each error in a modal dialog through this hook; without
// one (as in the unit tests) errors are only printed.
using ErrorDisplayHook =
    std::function<void(const Glib::ustring& message, bool is_fatal, const Glib::ustring& title)>;
void set_error_display_hook(ErrorDisplayHook hook);
// Shows through the hook a message already printed (one that waited for the
// thread that may show dialogs).
void show_error_message(const Glib::ustring& message, bool is_fatal, const Glib::ustring& title);
