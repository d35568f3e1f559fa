// The placement store's record and where a restored window goes. A stored
// placement is input: an import can write any of its values.
#include "settings/SettingsStore.h"
#include "settings/WindowPlacement.h"
#include "support/StoreFactory.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace qm;

namespace {

const ScreenRect kScreen{0, 0, 1280, 1024};

StoredPlacement At(int ppi, std::array<int, 4> normPos) {
    StoredPlacement p;
    p.pixelsPerInch = ppi;
    p.normPos = normPos;
    return p;
}

TEST(RestoredRect, FitsTheWindowOntoTheScreenOrFallsBack) {
    struct Case {
        const char* what;
        StoredPlacement stored;
        std::optional<ScreenRect> expected;
    };
    const int big = std::numeric_limits<int>::max();
    const int small = std::numeric_limits<int>::min();
    const std::vector<Case> cases = {
        {"as stored", At(96, {40, 50, 640, 450}), ScreenRect{40, 50, 600, 400}},
        {"another pixel density", At(120, {40, 50, 640, 450}), std::nullopt},
        {"nothing stored", StoredPlacement{}, std::nullopt},
        {"empty", At(96, {40, 50, 40, 450}), std::nullopt},
        {"inside out", At(96, {640, 450, 40, 50}), std::nullopt},
        {"larger than the screen: shrunk", At(96, {0, 0, 32767, 32767}), ScreenRect{0, 0, 1280, 1024}},
        {"off the screen to the right: moved on", At(96, {5000, 100, 5500, 500}), ScreenRect{780, 100, 500, 400}},
        {"above and left: moved on", At(96, {-900, -700, -400, -300}), ScreenRect{0, 0, 500, 400}},
        {"overflowing arithmetic", At(96, {small, small, big, big}), ScreenRect{0, 0, 1280, 1024}},
        {"overflowing position", At(96, {big - 10, big - 10, big, big}), ScreenRect{1270, 1014, 10, 10}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RestoredRect(c.stored, 96, kScreen), c.expected) << c.what;
    // A screen whose available area starts elsewhere (a task bar on the left).
    EXPECT_EQ(RestoredRect(At(96, {0, 0, 200, 100}), 96, ScreenRect{48, 0, 1232, 1024}),
              (ScreenRect{48, 0, 200, 100}));
}

class PlacementStoreTest : public ::testing::Test {
protected:
    qmtest::TempDir dir;
    std::unique_ptr<KeyStore> owned = qmtest::MakeTestStore(dir);
    KeyStore& store = *owned;
};

TEST_F(PlacementStoreTest, TheRecordRoundTripsAndTheScreenSizeNameWins) {
    PlacementRecord r;
    r.normPos = {1, 2, 503, 339};
    r.properties = {{"barTool_Visible", "False"}, {"tabMessPage_ActivePage", "tabViewer"}};
    ASSERT_TRUE(SavePlacement(store, r, 1280, 1024));
    EXPECT_EQ(store.ReadValue(kPlacementKey, "NormPos(1280x1024)")->text, "1,2,503,339");
    store.WriteText(kPlacementKey, "NormPos", "9,9,99,99"); // an older, plain one
    const StoredPlacement back = LoadPlacement(store, 1280, 1024, {"barTool_Visible", "tabMessPage_ActivePage"}).value;
    EXPECT_EQ(back.normPos, (std::array<int, 4>{1, 2, 503, 339}));
    EXPECT_EQ(back.pixelsPerInch, 96);
    EXPECT_EQ(back.properties, r.properties);
    // On another screen size the plain name is all there is.
    EXPECT_EQ(LoadPlacement(store, 800, 600, {}).value.normPos, (std::array<int, 4>{9, 9, 99, 99}));
}

TEST_F(PlacementStoreTest, ValuesThatAreNotFourNumbersReadAsNone) {
    for (const char* text : {"1,2,3", "1,2,3,4,5", "a,b,c,d", "1,2,3,99999999999", "", "1, 2,3,4"}) {
        store.WriteText(kPlacementKey, "NormPos", text);
        EXPECT_FALSE(LoadPlacement(store, 800, 600, {}).value.normPos) << text;
    }
    store.WriteDword(kPlacementKey, "PixelsPerInch", 96); // a number where text belongs
    EXPECT_FALSE(LoadPlacement(store, 800, 600, {}).value.pixelsPerInch);
}

} // namespace
