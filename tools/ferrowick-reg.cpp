// The registry editor's stand-in on Linux: merges a registry-format file into
// the user's settings store, or exports a key of it to such a file.
//
//   ferrowick-reg FILE            merge FILE (all of it, or nothing)
//   ferrowick-reg /e FILE KEY     write KEY and its sub-keys to FILE
//   ferrowick-reg --version
#include "platform/FileAccess.h"
#include "platform/KeyStore.h"
#include "platform/SessionSignals.h"
#include "settings/RegFile.h"

#include <iostream>
#include <string>

namespace {

int Usage() {
    std::cerr << "usage: ferrowick-reg FILE\n"
                 "       ferrowick-reg /e FILE KEY   (KEY such as "
                 "HKEY_CURRENT_USER\\Software\\tovrel\\Ferrowick)\n";
    return 2;
}

std::string UserRelative(std::string key) {
    for (const std::string hive : {"HKEY_CURRENT_USER\\", "HKCU\\"}) {
        if (key.size() >= hive.size() && qm::FoldCase(key.substr(0, hive.size())) == qm::FoldCase(hive))
            return key.substr(hive.size());
    }
    return {};
}

// Far beyond any settings file; a bound on what one run holds in memory.
constexpr std::uint64_t kMaxFileBytes = 64ull * 1024 * 1024;

int Merge(const std::string& file) {
    std::string bytes;
    if (const qm::Result read = qm::ReadWholeFile(file, bytes, kMaxFileBytes); !read) {
        std::cerr << "ferrowick-reg: cannot read " << file << ": " << read.error << "; nothing was imported\n";
        return 1;
    }
    std::vector<qm::RegChange> changes;
    const qm::Result parsed = qm::ParseRegFile(bytes, changes);
    if (!parsed.ok) {
        std::cerr << "ferrowick-reg: " << file << ": " << parsed.error << "; nothing was imported\n";
        return 1;
    }
    try {
        auto store = qm::OpenUserKeyStore();
        qm::KeyStoreTransaction transaction(*store);
        qm::ApplyRegChanges(*store, changes);
        transaction.Commit();
        if (std::string notice = store->TakeNotice(); !notice.empty())
            std::cerr << "ferrowick-reg: " << notice << "\n";
    } catch (const qm::KeyStoreError& e) {
        std::cerr << "ferrowick-reg: " << e.what() << "\n";
        return 1;
    }
    return 0;
}

int Export(const std::string& file, const std::string& keyArg) {
    const std::string key = UserRelative(keyArg);
    if (key.empty()) {
        std::cerr << "ferrowick-reg: only keys under HKEY_CURRENT_USER can be exported\n";
        return 1;
    }
    std::string text;
    try {
        auto store = qm::OpenUserKeyStore();
        // One read of one state of the tree, however many keys it has.
        qm::KeyStoreTransaction transaction(*store, qm::KeyStore::Access::Read);
        text = qm::ExportRegKey(*store, key);
        transaction.Commit();
    } catch (const qm::KeyStoreError& e) {
        std::cerr << "ferrowick-reg: " << e.what() << "\n";
        return 1;
    }
    if (const qm::Result written = qm::WriteWholeFile(file, text); !written) {
        std::cerr << "ferrowick-reg: cannot write " << file << ": " << written.error << "\n";
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    qm::IgnoreFileSizeSignal();
    if (argc == 2 && std::string(argv[1]) == "--version") {
        std::cout << "ferrowick-reg (Quillmere Light) " QM_VERSION "\n";
        return 0;
    }
    if (argc == 2 && std::string(argv[1]) != "/e" && std::string(argv[1]) != "-h" &&
        std::string(argv[1]) != "--help")
        return Merge(argv[1]);
    if (argc == 4 && (std::string(argv[1]) == "/e" || std::string(argv[1]) == "-e"))
        return Export(argv[2], argv[3]);
    return Usage();
}
