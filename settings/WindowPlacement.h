// The main window's placement store: the sub-key TfrmUDP with the window's
// position and size and eight view properties, all as text values.
#pragma once

#include "platform/KeyStore.h"
#include "platform/Result.h"

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qm {

struct PlacementRecord {
    int flags = 0;
    int showCmd = 1; // 1 normal, 2 minimised, 3 maximised
    int pixelsPerInch = 96;
    std::array<int, 4> minMaxPos{-1, -1, -1, -1}; // minimised x, y; maximised x, y
    std::array<int, 4> normPos{0, 0, 0, 0};       // left, top, right, bottom
    bool visible = true;
    // component_property and its text ("True", "False", a page name), in order.
    std::vector<std::pair<std::string, std::string>> properties;
};

// What a restore found; absent values stay empty.
struct StoredPlacement {
    std::optional<int> pixelsPerInch;
    std::optional<std::array<int, 4>> minMaxPos;
    std::optional<std::array<int, 4>> normPos;
    std::vector<std::pair<std::string, std::string>> properties; // those present
};

// Writes the whole record in one transaction.
Result SavePlacement(KeyStore& store, const PlacementRecord& record, int screenWidth, int screenHeight);

// Reads the record; a position under the current screen size's name wins over
// the plain name. `propertyNames` lists the properties wanted.
ResultOf<StoredPlacement> LoadPlacement(KeyStore& store, int screenWidth, int screenHeight,
                                        const std::vector<std::string>& propertyNames);

struct ScreenRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const ScreenRect&) const = default;
};

// Where the window goes at start: the stored normal rectangle, when it was
// stored at the screen's current pixel density, shrunk to the `available`
// screen area and moved onto it. Nothing (the default placement) when the
// stored values make no rectangle: missing, not four numbers, empty, or
// beyond what the arithmetic can hold (an import can store anything).
std::optional<ScreenRect> RestoredRect(const StoredPlacement& stored, int pixelsPerInch,
                                       const ScreenRect& available);

} // namespace qm
