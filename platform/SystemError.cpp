#include "platform/SystemError.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cstring>
#endif

namespace qm {

std::string SystemErrorText(int code) {
#ifdef _WIN32
    char text[256] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, static_cast<DWORD>(code),
                   0, text, sizeof text - 1, nullptr);
    std::string s = text;
#else
    std::string s = std::strerror(code);
#endif
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == '.' || s.back() == ' '))
        s.pop_back();
    if (s.empty()) s = "system error " + std::to_string(code);
    return s;
}

} // namespace qm
