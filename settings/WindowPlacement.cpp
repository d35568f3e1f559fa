#include "settings/WindowPlacement.h"

#include "settings/SettingsStore.h"
#include "settings/unitAdd_Ins.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace qm {

namespace {

std::string Four(const std::array<int, 4>& v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%d,%d,%d,%d", v[0], v[1], v[2], v[3]);
    return buf;
}

std::optional<std::array<int, 4>> ParseFour(const std::string& text) {
    std::array<int, 4> v{};
    std::size_t start = 0;
    for (int i = 0; i < 4; ++i) {
        const std::size_t comma = i < 3 ? text.find(',', start) : text.size();
        if (comma == std::string::npos) return std::nullopt;
        const std::optional<std::int32_t> n = ParseInt32(std::string_view(text).substr(start, comma - start));
        if (!n) return std::nullopt;
        v[static_cast<std::size_t>(i)] = *n;
        start = comma + 1;
    }
    return v;
}

std::string ScreenSuffix(int width, int height) {
    return "(" + std::to_string(width) + "x" + std::to_string(height) + ")";
}

std::optional<std::string> ReadText(KeyStore& store, const std::string& name) {
    const std::optional<RegValue> v = store.ReadValue(kPlacementKey, name);
    if (!v || v->type != ValueType::Text) return std::nullopt;
    return v->text;
}

} // namespace

Result SavePlacement(KeyStore& store, const PlacementRecord& r, int screenWidth, int screenHeight) try {
    KeyStoreTransaction transaction(store);
    const std::string suffix = ScreenSuffix(screenWidth, screenHeight);
    const auto put = [&](const std::string& name, const std::string& value) {
        store.WriteText(kPlacementKey, name, value);
    };
    put("FormVersion", "0");
    put("Flags", std::to_string(r.flags));
    put("ShowCmd", std::to_string(r.showCmd));
    put("PixelsPerInch", std::to_string(r.pixelsPerInch));
    put("MinMaxPos", Four(r.minMaxPos));
    put("MinMaxPos" + suffix, Four(r.minMaxPos));
    put("NormPos", Four(r.normPos));
    put("NormPos" + suffix, Four(r.normPos));
    put("Visible", r.visible ? "1" : "0");
    for (const auto& [name, value] : r.properties)
        put(name, value);
    transaction.Commit();
    return {};
} catch (const KeyStoreError& e) {
    return Result::Failed(e.what());
}

ResultOf<StoredPlacement> LoadPlacement(KeyStore& store, int screenWidth, int screenHeight,
                                        const std::vector<std::string>& propertyNames) try {
    KeyStoreTransaction transaction(store, KeyStore::Access::Read);
    StoredPlacement p;
    if (!store.KeyExists(kPlacementKey)) {
        transaction.Commit();
        return p;
    }
    const std::string suffix = ScreenSuffix(screenWidth, screenHeight);
    if (const auto ppi = ReadText(store, "PixelsPerInch")) p.pixelsPerInch = ParseInt32(*ppi);
    const auto four = [&](const std::string& name) -> std::optional<std::array<int, 4>> {
        auto text = ReadText(store, name + suffix);
        if (!text) text = ReadText(store, name);
        return text ? ParseFour(*text) : std::nullopt;
    };
    p.minMaxPos = four("MinMaxPos");
    p.normPos = four("NormPos");
    for (const std::string& name : propertyNames)
        if (const auto value = ReadText(store, name)) p.properties.emplace_back(name, *value);
    transaction.Commit();
    return p;
} catch (const KeyStoreError& e) {
    return Result::Failed(e.what());
}

std::optional<ScreenRect> RestoredRect(const StoredPlacement& stored, int pixelsPerInch,
                                       const ScreenRect& available) {
    if (!stored.pixelsPerInch || *stored.pixelsPerInch != pixelsPerInch || !stored.normPos) return std::nullopt;
    if (available.width <= 0 || available.height <= 0) return std::nullopt;
    // Widened, so that extreme stored values cannot overflow.
    const auto& r = *stored.normPos;
    const std::int64_t width = std::int64_t{r[2]} - r[0];
    const std::int64_t height = std::int64_t{r[3]} - r[1];
    if (width <= 0 || height <= 0) return std::nullopt;
    ScreenRect out;
    out.width = static_cast<int>(std::min<std::int64_t>(width, available.width));
    out.height = static_cast<int>(std::min<std::int64_t>(height, available.height));
    // Onto the screen: no edge beyond the available area.
    const std::int64_t maxLeft = std::int64_t{available.left} + available.width - out.width;
    const std::int64_t maxTop = std::int64_t{available.top} + available.height - out.height;
    out.left = static_cast<int>(std::clamp<std::int64_t>(r[0], available.left, maxLeft));
    out.top = static_cast<int>(std::clamp<std::int64_t>(r[1], available.top, maxTop));
    return out;
}

} // namespace qm
