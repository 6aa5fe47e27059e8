#include "core/errors.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <glibmm/exception.h>
#include <vector>

int debug_level = 0;

namespace {

std::string error_context;
ErrorDisplayHook display_hook;

const int NO_ERRNO = -1;

const char* prefix_for(RetCode rc) {
    switch (rc) {
    case RC_ASSERTION_FAILED:
        return "Uh oh, ";
    case RC_INTERNAL_ERROR:
        return "Uh oh, Internal Error: ";
    default:
        return "";
    }
}

RetCode display_error(RetCode rc, const std::string& message, bool is_fatal, int saved_errno,
                      const Glib::ustring* title) {
    std::string full = error_context + prefix_for(rc) + message;
    if (saved_errno != NO_ERRNO) {
        full += ": ";
        full += strerror(saved_errno);
        full += format(" (%d)", saved_errno);
    }
    fprintf(stderr, "*** %s: %s\n", is_fatal ? "FATAL ERROR" : "ERROR", full.c_str());
    fflush(stderr);
    if (display_hook) {
        Glib::ustring shown_title = (title && !title->empty()) ? *title : "Error occurred";
        display_hook(full, is_fatal, shown_title);
    }
    return rc;
}

} // namespace

std::string vformat(const char* fmt, va_list args) {
    std::vector<char> buf(1024);
    for (;;) {
        va_list copy;
        va_copy(copy, args);
        int n = vsnprintf(buf.data(), buf.size(), fmt, copy);
        va_end(copy);
        if (n < 0) return std::string();
        if (static_cast<size_t>(n) < buf.size()) return std::string(buf.data(), n);
        buf.resize(static_cast<size_t>(n) + 1);
    }
}

std::string format(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    std::string s = vformat(fmt, args);
    va_end(args);
    return s;
}

int exit_status_for(RetCode rc) {
    switch (rc) {
    case RC_OK:
        return 0;
    case RC_INTERNAL_ERROR:
        return 45;
    case RC_ASSERTION_FAILED:
        return 47;
    default:
        return 1;
    }
}

void set_error_context(const std::string& text) {
    error_context = text;
}

void set_error_display_hook(ErrorDisplayHook hook) {
    display_hook = std::move(hook);
}

void show_error_message(const Glib::ustring& message, bool is_fatal, const Glib::ustring& title) {
    if (display_hook) display_hook(message, is_fatal, title);
}

// errno is read first thing in every reporter, before formatting can change it.
#define REPORT(rc, fatal_, with_errno, title)                                                      \
    int saved = (with_errno) ? errno : NO_ERRNO;                                                   \
    va_list args;                                                                                  \
    va_start(args, fmt);                                                                           \
    std::string msg = vformat(fmt, args);                                                          \
    va_end(args);                                                                                  \
    RetCode result = display_error(rc, msg, fatal_, saved, title)

RetCode error(RetCode rc, const char* fmt, ...) {
    REPORT(rc, false, false, nullptr);
    return result;
}
RetCode error_errno(RetCode rc, const char* fmt, ...) {
    REPORT(rc, false, true, nullptr);
    return result;
}
void fatal(RetCode rc, const char* fmt, ...) {
    REPORT(rc, true, false, nullptr);
    exit(exit_status_for(result));
}
void fatal_errno(RetCode rc, const char* fmt, ...) {
    REPORT(rc, true, true, nullptr);
    exit(exit_status_for(result));
}
RetCode error(const char* fmt, ...) {
    REPORT(RC_ERROR, false, false, nullptr);
    return result;
}
RetCode error_errno(const char* fmt, ...) {
    REPORT(RC_ERROR, false, true, nullptr);
    return result;
}
void fatal(const char* fmt, ...) {
    REPORT(RC_ERROR, true, false, nullptr);
    (void)result;
    exit(1);
}
void fatal_errno(const char* fmt, ...) {
    REPORT(RC_ERROR, true, true, nullptr);
    (void)result;
    exit(1);
}
namespace {
std::string advice_shown;
}
void fatal_with_advice(const std::string& advice, const char* fmt, ...) {
    advice_shown = advice;
    fprintf(stderr, "%s\n", advice.c_str());
    REPORT(RC_ERROR, true, false, nullptr);
    (void)result;
    exit(1);
}
const std::string& report_advice() {
    return advice_shown;
}
RetCode titled_error(const Glib::ustring& title, const char* fmt, ...) {
    REPORT(RC_ERROR, false, false, &title);
    return result;
}
RetCode titled_error_errno(const Glib::ustring& title, const char* fmt, ...) {
    REPORT(RC_ERROR, false, true, &title);
    return result;
}

void assert_failure(const char* expression, const char* file, int line) {
    fatal(RC_ASSERTION_FAILED, "Assertion failed at %s line %d: %s", file, line, expression);
}

// The reason a failure carries, in the words the save reports use.
Glib::ustring reason_of(std::exception_ptr failure) {
    Glib::ustring reason;
    try {
        std::rethrow_exception(failure);
    } catch (const Glib::Exception& e) {
        reason = e.what();
    } catch (const std::exception& e) {
        reason = e.what();
    } catch (const char* text) {
        reason = text;
    } catch (const std::string& text) {
        reason = text;
    } catch (...) {
        reason = "Unknown error (sorry!)";
    }
    return reason.empty() ? Glib::ustring("Unknown exception (sorry!)") : reason;
}
