#include "platform/net/NetAddress.h"

#include <cstdio>

namespace qm {

namespace {

std::size_t Dotted(const unsigned char* b, char* out) {
    const int n = std::snprintf(out, 16, "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
    return n > 0 ? static_cast<std::size_t>(n) : 0;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A dotted IPv4 address, four decimal parts of at most three digits and 255.
bool ParseDotted(std::string_view text, unsigned char* out) {
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (text.empty() || text.front() != '.') return false;
            text.remove_prefix(1);
        }
        int value = 0, digits = 0;
        while (!text.empty() && text.front() >= '0' && text.front() <= '9' && digits < 4) {
            value = value * 10 + (text.front() - '0');
            ++digits;
            text.remove_prefix(1);
        }
        if (digits == 0 || digits > 3 || value > 255) return false;
        out[part] = static_cast<unsigned char>(value);
    }
    return text.empty();
}

} // namespace

std::size_t FormatAddress(const unsigned char* b, std::size_t length, char* out) {
    if (length == 4) return Dotted(b, out);
    if (length != 16) return 0;
    std::array<unsigned, 8> groups{};
    for (std::size_t g = 0; g < 8; ++g)
        groups[g] = static_cast<unsigned>(b[2 * g]) << 8 | b[2 * g + 1];
    std::size_t n = 0;
    // ::ffff:a.b.c.d, as RFC 5952 writes a mapped IPv4 address.
    const bool mapped = groups[0] == 0 && groups[1] == 0 && groups[2] == 0 && groups[3] == 0 && groups[4] == 0 &&
                        groups[5] == 0xFFFF;
    if (mapped) {
        for (const char c : std::string_view("::ffff:"))
            out[n++] = c;
        return n + Dotted(b + 12, out + n);
    }
    // The longest run of two or more zero groups, the first of equal runs.
    int bestStart = -1, bestLength = 1;
    for (int g = 0; g < 8;) {
        if (groups[static_cast<std::size_t>(g)] != 0) {
            ++g;
            continue;
        }
        int end = g;
        while (end < 8 && groups[static_cast<std::size_t>(end)] == 0)
            ++end;
        if (end - g > bestLength) {
            bestStart = g;
            bestLength = end - g;
        }
        g = end;
    }
    for (int g = 0; g < 8; ++g) {
        if (g == bestStart) {
            out[n++] = ':';
            out[n++] = ':';
            g += bestLength - 1;
            continue;
        }
        if (g > 0 && g != bestStart + bestLength) out[n++] = ':';
        n += static_cast<std::size_t>(std::snprintf(out + n, 5, "%x", groups[static_cast<std::size_t>(g)]));
    }
    return n;
}

std::string FormatAddress(const unsigned char* bytes, std::size_t length) {
    char text[kMaxAddressText + 1];
    return std::string(text, FormatAddress(bytes, length, text));
}

std::optional<std::array<unsigned char, 16>> ParseIPv6(std::string_view text) {
    std::array<unsigned, 8> head{}, tail{};
    std::size_t heads = 0, tails = 0;
    bool compressed = false;
    std::array<unsigned char, 4> dotted{};
    bool hasDotted = false;
    if (text.substr(0, 2) == "::") {
        compressed = true;
        text.remove_prefix(2);
    } else if (text.empty() || text.front() == ':') {
        return std::nullopt;
    }
    while (!text.empty()) {
        // A dotted tail takes the last two groups.
        const std::size_t colon = text.find(':');
        const std::string_view part = text.substr(0, colon);
        if (colon == std::string_view::npos && part.find('.') != std::string_view::npos) {
            if (!ParseDotted(part, dotted.data())) return std::nullopt;
            hasDotted = true;
            text = {};
            break;
        }
        if (part.empty() || part.size() > 4) return std::nullopt;
        unsigned value = 0;
        for (const char c : part) {
            const int v = HexValue(c);
            if (v < 0) return std::nullopt;
            value = value << 4 | static_cast<unsigned>(v);
        }
        if (heads + tails >= 8) return std::nullopt;
        (compressed ? tail[tails++] : head[heads++]) = value;
        if (colon == std::string_view::npos) {
            text = {};
            break;
        }
        text.remove_prefix(colon + 1);
        if (!text.empty() && text.front() == ':') {
            if (compressed) return std::nullopt; // a second "::"
            compressed = true;
            text.remove_prefix(1);
        } else if (text.empty()) {
            return std::nullopt; // a lone ':' at the end
        }
    }
    const std::size_t groups = heads + tails + (hasDotted ? 2 : 0);
    if (groups > 8 || (!compressed && groups != 8) || (compressed && groups > 7)) return std::nullopt;
    std::array<unsigned, 8> all{};
    for (std::size_t i = 0; i < heads; ++i)
        all[i] = head[i];
    const std::size_t tailStart = 8 - tails - (hasDotted ? 2 : 0);
    for (std::size_t i = 0; i < tails; ++i)
        all[tailStart + i] = tail[i];
    std::array<unsigned char, 16> bytes{};
    for (std::size_t g = 0; g < 8; ++g) {
        bytes[2 * g] = static_cast<unsigned char>(all[g] >> 8);
        bytes[2 * g + 1] = static_cast<unsigned char>(all[g] & 0xFF);
    }
    if (hasDotted)
        for (std::size_t i = 0; i < 4; ++i)
            bytes[12 + i] = dotted[i];
    return bytes;
}

std::optional<std::string> CanonicalIPv6(std::string_view text) {
    const std::optional<std::array<unsigned char, 16>> bytes = ParseIPv6(text);
    if (!bytes) return std::nullopt;
    return FormatAddress(bytes->data(), bytes->size());
}

} // namespace qm
