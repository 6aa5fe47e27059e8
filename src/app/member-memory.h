// The member details this computer's volunteer typed last, kept between runs
// so that every new survey starts with them.
#pragma once
#include <glibmm/ustring.h>
#include <string>

struct MemberDetails {
    Glib::ustring member_id, last_name;
    bool empty() const { return member_id.empty() && last_name.empty(); }
};

// The details kept in folder; none when there are none or they can't be read.
MemberDetails remembered_member(const std::string& folder);
// Keeps details in folder (empty ones are forgotten); false when they could
// not be written.
bool remember_member(const std::string& folder, const MemberDetails& details);
void forget_member(const std::string& folder);
