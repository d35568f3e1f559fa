// The main window's placement store (sub-key TfrmUDP): its position and size
// and eight view properties, restored at the first showing and saved when a
// close is granted.
#include "app/unitUdp_Ui.h"
#include "platform/qt/DisplayText.h"
#include "settings/WindowPlacement.h"

#include <QAction>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>

#include <functional>

namespace qm {

namespace {

// One view property: its stored name, how to read it off the window and how
// to give it back.
struct ViewProperty {
    const char* name;
    std::function<std::string()> get;
    std::function<void(const std::string&)> set;
};

std::string BoolText(bool value) {
    return value ? "True" : "False";
}

std::string PageName(const QTabWidget* tabs) {
    return tabs->currentWidget()->objectName().toStdString();
}

void ShowPage(QTabWidget* tabs, const std::string& name) {
    for (int i = 0; i < tabs->count(); ++i)
        if (tabs->widget(i)->objectName().toStdString() == name) tabs->setCurrentIndex(i);
}

// In the order they are stored.
std::vector<ViewProperty> ViewProperties(QMainWindow& window, TfrmUDP::Ui& ui) {
    const auto visible = [](QWidget* w) {
        return ViewProperty{nullptr, [w] { return BoolText(!w->isHidden()); },
                            [w](const std::string& v) { w->setVisible(v == "True"); }};
    };
    const auto checked = [](QAction* a) {
        return ViewProperty{nullptr, [a] { return BoolText(a->isChecked()); },
                            [a](const std::string& v) { a->setChecked(v == "True"); }};
    };
    const auto page = [](QTabWidget* tabs) {
        return ViewProperty{nullptr, [tabs] { return PageName(tabs); },
                            [tabs](const std::string& v) { ShowPage(tabs, v); }};
    };
    std::vector<std::pair<const char*, ViewProperty>> named = {
        {"barStatus_Visible", visible(window.statusBar())},
        {"tabFilterPage_ActivePage", page(ui.tabFilterPage)},
        {"tabMessPage_ActivePage", page(ui.tabMessPage)},
        {"barTool_Visible", visible(ui.barTool)},
        {"tabFilterPage_Visible", visible(ui.tabFilterPage)},
        {"actViewFilterExplorer_Checked", checked(ui.actViewFilterExplorer)},
        {"actViewStatus_Checked", checked(ui.actViewStatus)},
        {"actViewToolBar_Checked", checked(ui.actViewToolBar)},
    };
    std::vector<ViewProperty> properties;
    for (auto& [name, property] : named) {
        property.name = name;
        properties.push_back(std::move(property));
    }
    return properties;
}

ScreenRect Available(const QScreen* screen) {
    const QRect a = screen->availableGeometry();
    return {a.left(), a.top(), a.width(), a.height()};
}

} // namespace

void TfrmUDP::RestorePlacement() {
    if (!placementEnabled_) return;
    const QScreen* s = screen();
    const std::vector<ViewProperty> properties = ViewProperties(*this, *ui);
    std::vector<std::string> names;
    for (const ViewProperty& p : properties)
        names.push_back(p.name);
    const ResultOf<StoredPlacement> loaded =
        LoadPlacement(services_.store, s->geometry().width(), s->geometry().height(), names);
    if (!loaded) {
        ReportError(DisplayText(loaded.error));
        return;
    }
    const StoredPlacement& stored = loaded.value;
    if (const auto r = RestoredRect(stored, qRound(s->logicalDotsPerInch()), Available(s)))
        setGeometry(r->left, r->top, r->width, r->height);
    for (const auto& [name, value] : stored.properties)
        for (const ViewProperty& p : properties)
            if (name == p.name) p.set(value);
}

void TfrmUDP::SavePlacementStore() {
    if (!placementEnabled_) return;
    PlacementRecord r;
    const QRect normal = isMaximized() || isMinimized() ? normalGeometry() : geometry();
    r.normPos = {normal.left(), normal.top(), normal.left() + normal.width(), normal.top() + normal.height()};
    r.showCmd = isMinimized() ? 2 : isMaximized() ? 3 : 1;
    r.flags = isMaximized() ? 2 : 0;
    r.visible = isVisible();
    const QScreen* s = screen();
    r.pixelsPerInch = qRound(s->logicalDotsPerInch());
    for (const ViewProperty& p : ViewProperties(*this, *ui))
        r.properties.emplace_back(p.name, p.get());
    if (const Result saved = SavePlacement(services_.store, r, s->geometry().width(), s->geometry().height()); !saved)
        CloseFailure(DisplayText(saved.error));
}

} // namespace qm
