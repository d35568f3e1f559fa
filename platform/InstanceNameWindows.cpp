#include "platform/InstanceName.h"

#include <windows.h>

#include <functional>
#include <sstream>

namespace qm {

std::string UserInstanceName() {
    // The registry key is the user's; named pipes are seen machine-wide, so
    // the session and the user's name tell the copies apart.
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    wchar_t user[257] = {};
    DWORD length = 257;
    if (!GetUserNameW(user, &length)) user[0] = L'\0';
    std::ostringstream name;
    name << "QuillmereLight-" << session << '-' << std::hex << std::hash<std::wstring>{}(user);
    return name.str();
}

void AllowOtherToComeForward() {
    AllowSetForegroundWindow(ASFW_ANY);
}

} // namespace qm
