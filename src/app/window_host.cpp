#include "app/window_host.h"

#include "app/runtime.h"
#include "appearance/settings_window.h"
#include "appearance/skin_engine.h"
#include "catalogue/category_window.h"
#include "catalogue/column_window.h"
#include "core/catalogue.h"
#include "items/icon_picker.h"
#include "items/installed_programs_window.h"
#include "items/item_editor.h"
#include "items/launcher.h"
#include "items/system_picker.h"
#include "items/web_link_window.h"

namespace hx::app {

WindowHost::WindowHost(Runtime& runtime, std::function<QPoint()> panel)
    : runtime_(runtime), panel_(std::move(panel)) {}

WindowHost::~WindowHost() { closeAll(); }

void WindowHost::closeAll() {
    const auto windows = windows_;
    windows_.clear();
    for (const QPointer<QWidget>& window : windows) delete window.data();
}

void WindowHost::raise(QWidget* window) {
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

void WindowHost::openCategoryWindow() {
    open<catalogue::CategoryWindow>(QStringLiteral("category window"), [this] {
        return new catalogue::CategoryWindow(runtime_.session(), runtime_.catalogue(), panel_());
    });
}

void WindowHost::openColumnWindow() {
    open<catalogue::ColumnWindow>(QStringLiteral("column window"), [this] {
        return new catalogue::ColumnWindow(runtime_.session(), runtime_.catalogue(), panel_());
    });
}

appearance::SettingsWindow* WindowHost::openSettings(int page) {
    auto* window = open<appearance::SettingsWindow>(QStringLiteral("settings"), [this] {
        auto* settings = new appearance::SettingsWindow(runtime_.session(), runtime_.catalogue(),
                                                        panel_(), &runtime_.sync());
        connect(settings, &appearance::SettingsWindow::saved, this, &WindowHost::settingsSaved);
        connect(settings, &appearance::SettingsWindow::resultOpened, this,
                [this](const QString& link) { runtime_.launcher().openFromSearch(link); });
        return settings;
    });
    if (window && page >= 0) window->showPage(page);
    return window;
}

void WindowHost::openItemEditor() {
    if (runtime_.catalogue().selectedRow() < 0) return;
    open<items::ItemEditor>(QStringLiteral("item editor"), [this] {
        auto* editor = new items::ItemEditor(runtime_.session(), runtime_.catalogue(), panel_());
        connect(editor, &items::ItemEditor::systemPickerRequested, this,
                &WindowHost::openSystemPicker);
        connect(editor, &items::ItemEditor::iconPickerRequested, this, &WindowHost::openIconPicker);
        return editor;
    });
}

void WindowHost::openWebLinkWindow() {
    open<items::WebLinkWindow>(QStringLiteral("web link"), [this] {
        return new items::WebLinkWindow(runtime_.session(), runtime_.catalogue(), panel_());
    });
}

void WindowHost::openSystemPicker() {
    open<items::SystemPicker>(QStringLiteral("system picker"), [this] {
        return new items::SystemPicker(runtime_.session(), runtime_.catalogue(), panel_());
    });
}

void WindowHost::openInstalledPrograms() {
    open<items::InstalledProgramsWindow>(QStringLiteral("installed programs"), [this] {
        return new items::InstalledProgramsWindow(runtime_.session(), runtime_.catalogue(),
                                                  runtime_.installedApps(), panel_());
    });
}

void WindowHost::openIconPicker() {
    // The picker reports to the editor; without one it has nobody to tell.
    auto* editor = find<items::ItemEditor>(QStringLiteral("item editor"));
    if (!editor) return;
    open<items::IconPicker>(QStringLiteral("icon picker"), [this, editor] {
        auto* picker =
            new items::IconPicker(runtime_.session(), panel_(), editor->controls().title->text(),
                                  editor->programIconSource());
        connect(picker, &items::IconPicker::picked, editor, &items::ItemEditor::applyPickedIcon);
        return picker;
    });
}

}  // namespace hx::app
