// The comma-joined stored form of a list entry.
#pragma once

#include "settings/Options.h"

#include <string>
#include <string_view>
#include <vector>

namespace qm {

// Cuts a stored row into fields: leading blanks skipped; a field opening with
// a double quote runs to the next lone double quote (a doubled one stands for
// one); any other field runs to the next blank or comma; after a field, blanks
// and one comma with the blanks after it are skipped. A NUL byte ends the row.
std::vector<std::string> SplitListRow(std::string_view row);

// Joins fields with commas. A field that the plain form cannot carry (a blank,
// a control byte or a comma inside, a leading double quote, or an empty last
// field) is quoted with inner double quotes doubled; every other field is
// written as it is.
std::string JoinListRow(const std::vector<std::string>& fields);

std::string IdListRow(const IdEntry& entry);
std::string IpListRow(const IpEntry& entry);
std::string TokenListRow(const TokenEntry& entry);

// Rows given to a value that vanished between listing and reading.
inline constexpr const char* kDefaultIdRow = "UserID,No,,16777215,No,Yes";
inline constexpr const char* kDefaultIpRow = "UserIP,No";
inline constexpr const char* kDefaultTokenRow = "No,16777215,Yes";

} // namespace qm
