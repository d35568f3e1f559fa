#include "settings/SettingsStore.h"

#include "settings/ListRow.h"
#include "settings/unitAdd_Ins.h"

#include <optional>

namespace qm {

namespace {

// A bool or integer: text holding a whole number, or a 32-bit number.
// Anything else, or nothing, gives the default.
std::int32_t ReadNumber(KeyStore& store, const char* name, std::int32_t fallback, const char* key = kGeneralKey) {
    const std::optional<RegValue> value = store.ReadValue(key, name);
    if (!value) return fallback;
    if (value->type == ValueType::Dword) return static_cast<std::int32_t>(value->number);
    if (value->type == ValueType::Text) return ParseInt32(value->text).value_or(fallback);
    return fallback;
}

bool ReadBool(KeyStore& store, const char* name, bool fallback, const char* key = kGeneralKey) {
    return ReadNumber(store, name, fallback ? 1 : 0, key) != 0;
}

// Reads a list sub-key. Returns false when a row has the wrong number of
// fields: the list is then empty.
template <typename Entry, typename Fill>
bool ReadList(KeyStore& store, const char* key, std::size_t fieldCount, const char* vanishedRow,
              std::vector<Entry>& list, Fill fill) {
    list.clear();
    if (!store.KeyExists(key)) return true;
    for (const std::string& name : store.ValueNames(key)) {
        const std::optional<RegValue> value = store.ReadValue(key, name);
        // A value that is gone, or is not text, reads as the default row.
        const std::string row =
            value && value->type == ValueType::Text ? value->text : std::string(vanishedRow);
        std::vector<std::string> fields = SplitListRow(row);
        if (fields.size() != fieldCount) {
            list.clear();
            return false;
        }
        Entry entry;
        fill(entry, name, fields);
        list.push_back(std::move(entry));
    }
    return true;
}

void WriteBool(KeyStore& store, const char* name, bool value, const char* key = kGeneralKey) {
    store.WriteText(key, name, value ? "1" : "0");
}

// A number that already exists as text (an imported file leaves it so) stays text.
void WriteNumber(KeyStore& store, const char* name, std::int32_t value, const char* key = kGeneralKey) {
    const std::optional<RegValue> existing = store.ReadValue(key, name);
    if (existing && existing->type == ValueType::Text)
        store.WriteText(key, name, std::to_string(value));
    else
        store.WriteDword(key, name, static_cast<std::uint32_t>(value));
}

template <typename Entry, typename KeyOf, typename RowOf>
void WriteList(KeyStore& store, const char* key, const std::vector<Entry>& list, bool keepStored, KeyOf keyOf,
               RowOf rowOf) {
    // A list that came up empty from a malformed row keeps its stored rows
    // until the operator gives it entries.
    if (keepStored && list.empty()) return;
    store.DeleteTree(key);
    for (const Entry& entry : list)
        store.WriteText(key, std::string(Trim(keyOf(entry))), rowOf(entry));
}

// One sub-key's scalar options by its table. `textDefault`: what a text
// reads as when none is stored.
template <typename Group, std::size_t N, typename TextDefault>
void ReadFields(KeyStore& store, const char* key, const std::array<OptionField<Group>, N>& fields, Group& group,
                TextDefault textDefault) {
    const Group defaults;
    for (const OptionField<Group>& f : fields) {
        if (f.flag) group.*f.flag = ReadBool(store, f.name, defaults.*f.flag, key);
        if (f.number) {
            const std::int32_t n = ReadNumber(store, f.name, defaults.*f.number, key);
            group.*f.number = n >= f.low && n <= f.high ? n : defaults.*f.number;
        }
        if (f.text) {
            const std::optional<RegValue> text = store.ReadValue(key, f.name);
            group.*f.text = text && text->type == ValueType::Text ? text->text : textDefault();
        }
    }
}

template <typename Group, std::size_t N>
void WriteFields(KeyStore& store, const char* key, const std::array<OptionField<Group>, N>& fields,
                 const Group& group) {
    store.CreateKey(key);
    for (const OptionField<Group>& f : fields) {
        if (f.flag) WriteBool(store, f.name, group.*f.flag, key);
        if (f.number) WriteNumber(store, f.name, group.*f.number, key);
        if (f.text) store.WriteText(key, f.name, group.*f.text);
    }
}

template <typename Body>
Result InTransaction(KeyStore& store, Body body, KeyStore::Access access = KeyStore::Access::Write) {
    try {
        KeyStoreTransaction transaction(store, access);
        body();
        transaction.Commit();
        return {};
    } catch (const KeyStoreError& e) {
        return {false, e.what()};
    }
}

} // namespace

Result LoadOptions(KeyStore& store, Options& options) {
    Options loaded;
    bool keyExists = true;
    // Reading only: whatever can be read is used, whatever the disk's state.
    Result result = InTransaction(store, [&] {
        keyExists = store.KeyExists(kSettingsKey);
        ReadFields(store, kGeneralKey, kGeneralFields, loaded.General, [&] { return DefaultLogDir(options); });
        ReadFields(store, kNetworkKey, kNetworkFields, loaded.Network, [] { return std::string(); });

        using Fields = std::vector<std::string>;
        loaded.IdListUnreadable = !ReadList(store, kIdKey, 6, kDefaultIdRow, loaded.IdList,
                                            [](IdEntry& e, const std::string& name, Fields& f) {
                                                e = {.IdNumber = name, .Name = f[0], .Listen = f[1], .Token = f[2],
                                                     .Color = f[3], .UseToken = f[4], .Popup = f[5]};
                                            });
        loaded.IpListUnreadable = !ReadList(store, kIpKey, 2, kDefaultIpRow, loaded.IpList,
                                            [](IpEntry& e, const std::string& name, Fields& f) {
                                                e = {.Address = name, .Name = f[0], .Listen = f[1]};
                                            });
        loaded.TokenListUnreadable = !ReadList(store, kTokenKey, 3, kDefaultTokenRow, loaded.TokenList,
                                               [](TokenEntry& e, const std::string& name, Fields& f) {
                                                   e = {.Token = name, .UseToken = f[0], .Color = f[1], .Popup = f[2]};
                                               });
    }, KeyStore::Access::Read);
    if (!result) return result;
    // The first start makes the key; a disk that cannot be written costs
    // nothing of what was read.
    if (!keyExists) (void)InTransaction(store, [&] { store.CreateKey(kSettingsKey); });
    options.General = std::move(loaded.General);
    options.Network = loaded.Network;
    options.IdList = std::move(loaded.IdList);
    options.IpList = std::move(loaded.IpList);
    options.TokenList = std::move(loaded.TokenList);
    options.IdListUnreadable = loaded.IdListUnreadable;
    options.IpListUnreadable = loaded.IpListUnreadable;
    options.TokenListUnreadable = loaded.TokenListUnreadable;
    return result;
}

Result SaveOptions(KeyStore& store, const Options& options) {
    if (options.SaveBlocked) return {};
    return InTransaction(store, [&] {
        store.CreateKey(kSettingsKey);
        WriteFields(store, kGeneralKey, kGeneralFields, options.General);
        WriteFields(store, kNetworkKey, kNetworkFields, options.Network);

        WriteList(
            store, kIdKey, options.IdList, options.IdListUnreadable,
            [](const IdEntry& e) -> const std::string& { return e.IdNumber; }, IdListRow);
        WriteList(
            store, kIpKey, options.IpList, options.IpListUnreadable,
            [](const IpEntry& e) -> const std::string& { return e.Address; }, IpListRow);
        WriteList(
            store, kTokenKey, options.TokenList, options.TokenListUnreadable,
            [](const TokenEntry& e) -> const std::string& { return e.Token; }, TokenListRow);
    });
}

Result ClearOptions(KeyStore& store) {
    return InTransaction(store, [&] {
        for (const char* key : {kGeneralKey, kNetworkKey, kIdKey, kIpKey, kTokenKey, kPlacementKey})
            store.DeleteTree(key);
        store.CreateKey(kSettingsKey);
    });
}

} // namespace qm
