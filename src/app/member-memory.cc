#include "app/member-memory.h"

#include "core/safe-write.h"

#include <cstdio>
#include <glibmm/keyfile.h>

namespace {
std::string file_in(const std::string& folder) {
    return folder + "/member-details.ini";
}
const char* const GROUP = "member";
} // namespace

MemberDetails remembered_member(const std::string& folder) {
    MemberDetails details;
    try {
        Glib::KeyFile file;
        file.load_from_file(file_in(folder));
        details.member_id = file.get_string(GROUP, "member_id");
        details.last_name = file.get_string(GROUP, "last_name");
    } catch (const Glib::Error&) {
        return {};
    }
    return details;
}

bool remember_member(const std::string& folder, const MemberDetails& details) {
    if (details.empty()) {
        forget_member(folder);
        return true;
    }
    Glib::KeyFile file;
    file.set_string(GROUP, "member_id", details.member_id);
    file.set_string(GROUP, "last_name", details.last_name);
    try {
        // Whole or not at all: a half-written file would lose both.
        replace_file_contents(file_in(folder), file.to_data(), "");
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void forget_member(const std::string& folder) {
    std::remove(file_in(folder).c_str());
}
