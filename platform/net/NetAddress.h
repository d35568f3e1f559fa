// Sender addresses as the program shows, logs and stores them: IPv4 as
// dotted text, IPv6 in RFC 5952's text (lower case, no leading zeros, the
// longest run of two or more zero groups as "::", the first of equal runs;
// an IPv4-mapped address with its dotted tail).
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qm {

// The address family a socket listens on.
enum class Family { IPv4 = 0, IPv6 = 1 };

// The longest text of an address (a full IPv6 address with a dotted tail).
inline constexpr std::size_t kMaxAddressText = 45;

// The text of an address of 4 (IPv4) or 16 (IPv6) bytes, into `out`, which
// has room for kMaxAddressText characters; the text's length.
std::size_t FormatAddress(const unsigned char* bytes, std::size_t length, char* out);
std::string FormatAddress(const unsigned char* bytes, std::size_t length);

// An IPv6 address in any text RFC 4291 allows (a dotted tail included, no
// zone), or nothing.
std::optional<std::array<unsigned char, 16>> ParseIPv6(std::string_view text);
// The RFC 5952 text of an IPv6 address given in any form, or nothing.
std::optional<std::string> CanonicalIPv6(std::string_view text);

} // namespace qm
