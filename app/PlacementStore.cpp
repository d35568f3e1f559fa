#include "app/PlacementStore.h"

#include "settings/SettingsStore.h"
#include "settings/WindowPlacement.h"

#include <QAction>
#include <QMainWindow>
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
std::vector<ViewProperty> ViewProperties(QMainWindow& window, const PlacedViews& ui) {
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
        {"tabFilterPage_ActivePage", page(ui.filterPages)},
        {"tabMessPage_ActivePage", page(ui.messPages)},
        {"barTool_Visible", visible(ui.toolBar)},
        {"tabFilterPage_Visible", visible(ui.filterPages)},
        {"actViewFilterExplorer_Checked", checked(ui.viewFilterExplorer)},
        {"actViewStatus_Checked", checked(ui.viewStatus)},
        {"actViewToolBar_Checked", checked(ui.viewToolBar)},
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

PlacementStore::PlacementStore(QMainWindow& window, PlacedViews views, KeyStore& store)
    : window_(window), views_(views), store_(store) {}

Result PlacementStore::Restore() {
    if (!enabled_) return {};
    const QScreen* s = window_.screen();
    const std::vector<ViewProperty> properties = ViewProperties(window_, views_);
    std::vector<std::string> names;
    for (const ViewProperty& p : properties)
        names.push_back(p.name);
    const ResultOf<StoredPlacement> loaded =
        LoadPlacement(store_, s->geometry().width(), s->geometry().height(), names);
    if (!loaded) return loaded;
    if (const auto r = RestoredRect(loaded.value, qRound(s->logicalDotsPerInch()), Available(s)))
        window_.setGeometry(r->left, r->top, r->width, r->height);
    for (const auto& [name, value] : loaded.value.properties)
        for (const ViewProperty& p : properties)
            if (name == p.name) p.set(value);
    return {};
}

Result PlacementStore::Save() {
    if (!enabled_) return {};
    PlacementRecord r;
    const QRect normal = window_.isMaximized() || window_.isMinimized() ? window_.normalGeometry() : window_.geometry();
    r.normPos = {normal.left(), normal.top(), normal.left() + normal.width(), normal.top() + normal.height()};
    r.showCmd = window_.isMinimized() ? 2 : window_.isMaximized() ? 3 : 1;
    r.flags = window_.isMaximized() ? 2 : 0;
    r.visible = window_.isVisible();
    const QScreen* s = window_.screen();
    r.pixelsPerInch = qRound(s->logicalDotsPerInch());
    for (const ViewProperty& p : ViewProperties(window_, views_))
        r.properties.emplace_back(p.name, p.get());
    return SavePlacement(store_, r, s->geometry().width(), s->geometry().height());
}

} // namespace qm
