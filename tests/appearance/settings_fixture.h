#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <memory>

#include "appearance/settings_window.h"
#include "storage/ini_file.h"
#include "support/session_fixture.h"

namespace hx::test {

// A settings window over a temporary data root, scripted dialogs and the
// catalogue; results opened, icons asked for, saves and re-initialisations
// asked for are recorded.
class SettingsTest : public ::testing::Test {
  protected:
    TempRoot temp;
    FakeDialogs dialogs;
    FakeServices fakes{temp.file(QStringLiteral("Desktop"))};
    core::Session session{temp.root(), fakes.services(), dialogs};
    core::Catalogue catalogue{session,
                              [this](const QString& iconText, int size) {
                                  iconsAsked << iconText;
                                  QImage image(size, size, QImage::Format_ARGB32);
                                  image.fill(Qt::darkCyan);
                                  return image;
                              },
                              {}};
    const QPoint panel{300, 200};
    int reinitialisations = 0;
    int saves = 0;
    QStringList opened;
    QStringList iconsAsked;
    std::unique_ptr<appearance::SettingsWindow> window;

    appearance::SettingsWindow& open() {
        window = std::make_unique<appearance::SettingsWindow>(session, catalogue, panel);
        QObject::connect(window.get(), &appearance::SettingsWindow::saved, [this] { ++saves; });
        QObject::connect(window.get(), &appearance::SettingsWindow::resultOpened,
                         [this](const QString& link) { opened << link; });
        return *window;
    }
    const appearance::SettingsWindow::Controls& c() const { return window->controls(); }

    QString config(const char* section, const char* key) const {
        return storage::IniFile::read(temp.root().configPath(), QString::fromUtf8(section),
                                      QString::fromUtf8(key));
    }
    void setConfig(const char* section, const char* key, const QString& value) const {
        ASSERT_TRUE(storage::IniFile::write(temp.root().configPath(), QString::fromUtf8(section),
                                            QString::fromUtf8(key), value));
    }

    SettingsTest() {
        QObject::connect(&catalogue, &core::Catalogue::reinitialisationRequested,
                         [this] { ++reinitialisations; });
    }

    // Opens a fresh, empty item database as the session's.
    void openDatabase() {
        ASSERT_TRUE(storage::ItemDatabase::createEmpty(temp.root().databasePath()));
        ASSERT_TRUE(session.database().open(temp.root().databasePath()));
    }
};

}  // namespace hx::test
