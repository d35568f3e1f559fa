// The main window's placement store, as a feature of its own: the sub-key
// TfrmUDP with the window's position and size and eight view properties,
// restored at the window's first showing and saved when a close is granted.
#pragma once

#include "platform/KeyStore.h"
#include "platform/Result.h"

class QAction;
class QMainWindow;
class QTabWidget;
class QToolBar;

namespace qm {

// The parts of the window whose state is stored, besides its geometry.
struct PlacedViews {
    QTabWidget* filterPages;
    QTabWidget* messPages;
    QToolBar* toolBar;
    QAction* viewFilterExplorer;
    QAction* viewStatus;
    QAction* viewToolBar;
};

class PlacementStore {
public:
    PlacementStore(QMainWindow& window, PlacedViews views, KeyStore& store);

    Result Restore();
    Result Save();
    // After the clear command nothing more is stored.
    void Disable() { enabled_ = false; }

private:
    QMainWindow& window_;
    PlacedViews views_;
    KeyStore& store_;
    bool enabled_ = true;
};

} // namespace qm
