#include "platform/InstanceName.h"

#include "platform/SqliteKeyStore.h"

#include <functional>
#include <sstream>
#include <unistd.h>

namespace qm {

std::string UserInstanceName() {
    // The store's place, not only the user: a second store (another
    // XDG_CONFIG_HOME) is another set of settings and may run beside it.
    std::error_code ec;
    const std::filesystem::path store = std::filesystem::absolute(DefaultRegistryFile(), ec).lexically_normal();
    std::ostringstream name;
    name << "QuillmereLight-" << getuid() << '-' << std::hex << std::hash<std::string>{}(store.string());
    return name.str();
}

void AllowOtherToComeForward() {}

} // namespace qm
