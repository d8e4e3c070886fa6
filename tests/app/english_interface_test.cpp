#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QTabBar>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTranslator>
#include <QXmlStreamReader>

#include "app/panel_key.h"
#include "app/translations.h"
#include "appearance/settings_window.h"
#include "core/database_connection.h"
#include "extras/clock.h"
#include "extras/countdown_window.h"
#include "extras/greeting.h"
#include "extras/weather_window.h"
#include "main_window_fixture.h"

namespace hx::test {
namespace {

// Takes out every translator the program installed, so later tests of this
// process see the source texts again.
void removeTranslators() {
    for (QTranslator* t : qApp->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(t);
        delete t;
    }
}

bool hasHan(const QString& text) {
    static const QRegularExpression han(QStringLiteral("\\p{Han}"));
    return text.contains(han);
}

// lupdate reads the code into a copy of the translation file: a text the code
// shows that the file lacks comes back unfinished, one the code no longer has
// comes back vanished or obsolete.
TEST(EnglishTranslation, EveryShownTextHasAFinishedTranslation) {
    QTemporaryDir dir;
    const QString ts = dir.filePath(QStringLiteral("en.ts"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(HX_TS_FILE), ts));
    QFile::setPermissions(ts, QFile::ReadOwner | QFile::WriteOwner);
    QProcess lupdate;
    lupdate.start(QStringLiteral(HX_LUPDATE),
                  {QStringLiteral("-locations"), QStringLiteral("none"), QStringLiteral("-silent"),
                   QStringLiteral(HX_SOURCE_DIR "/src"), QStringLiteral("-ts"), ts});
    ASSERT_TRUE(lupdate.waitForFinished(120000));
    ASSERT_EQ(lupdate.exitCode(), 0) << lupdate.readAllStandardError().toStdString();

    QFile file(ts);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QString context, source;
    QStringList faults;
    int messages = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        if (xml.name() == u"name") context = xml.readElementText();
        if (xml.name() == u"source")
            source = xml.readElementText(QXmlStreamReader::IncludeChildElements);
        if (xml.name() != u"translation") continue;
        ++messages;
        const QString type = xml.attributes().value(QStringLiteral("type")).toString();
        const QString text = xml.readElementText(QXmlStreamReader::IncludeChildElements);
        if (!type.isEmpty() || text.isEmpty() || hasHan(text))
            faults << QStringLiteral("%1: \"%2\" %3").arg(context, source, type);
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_GT(messages, 100);
    EXPECT_TRUE(faults.isEmpty()) << faults.join(u'\n').toStdString();
}

// Chinese keeps the source texts; every other language gets the English file.
TEST(EnglishTranslation, LocaleChoosesTheInterface) {
    const struct {
        QLocale locale;
        const char* title;
    } cases[] = {{QLocale(QLocale::Chinese, QLocale::China), "衡岫电脑工具箱"},
                 {QLocale(QLocale::Chinese, QLocale::Taiwan), "衡岫电脑工具箱"},
                 {QLocale(QLocale::English, QLocale::UnitedStates), "Hengxiu Toolbox"},
                 {QLocale(QLocale::German, QLocale::Germany), "Hengxiu Toolbox"},
                 {QLocale::c(), "Hengxiu Toolbox"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.locale.name().toStdString());
        EXPECT_TRUE(app::installTranslations(*qApp, c.locale, QStringLiteral(HX_QM_DIR)));
        EXPECT_EQ(QCoreApplication::translate("hx::app::MainWindow", "衡岫电脑工具箱"),
                  QString::fromUtf8(c.title));
        removeTranslators();
    }
}

// Every text a control shows, with the room the control gives it; an entry
// for each text that is still Chinese or does not fit.
class FitCheck {
  public:
    QStringList faults;

    void window(QWidget* w, const QString& name) {
        for (QWidget* child : w->findChildren<QWidget*>()) {
            if (!child->isVisibleTo(w)) continue;
            const QString where =
                name + u'/' + child->metaObject()->className() + u' ' + child->objectName();
            text(child->toolTip(), 0, 0, where + QStringLiteral(" tool tip"));
            if (auto* label = qobject_cast<QLabel*>(child)) this->label(label, where);
            if (auto* button = qobject_cast<QAbstractButton*>(child)) this->button(button, where);
            if (auto* box = qobject_cast<QGroupBox*>(child)) groupBox(box, where);
            if (auto* tabs = qobject_cast<QTabBar*>(child)) tabBar(tabs, where);
            if (auto* header = qobject_cast<QHeaderView*>(child)) this->header(header, where);
        }
    }

    void menu(const QMenu* menu, int panelWidth, const QString& name) {
        for (const QAction* a : menu->actions()) text(a->text(), 0, 0, name);
        if (menu->sizeHint().width() > panelWidth)
            faults << QStringLiteral("%1: %2 px, wider than the panel")
                          .arg(name)
                          .arg(menu->sizeHint().width());
    }

    void text(const QString& shown, int needed, int room, const QString& where) {
        if (hasHan(shown))
            faults << QStringLiteral("%1: \"%2\" is not translated").arg(where, shown);
        if (needed > room)
            faults << QStringLiteral("%1: \"%2\" needs %3 px, has %4")
                          .arg(where, shown)
                          .arg(needed)
                          .arg(room);
    }

  private:
    static int widest(const QFontMetrics& fm, const QString& text) {
        int w = 0;
        for (const QString& line : text.split(u'\n')) w = qMax(w, fm.horizontalAdvance(line));
        return w;
    }

    void label(QLabel* l, const QString& where) {
        if (l->text().isEmpty() || l->wordWrap() || l->textFormat() == Qt::RichText) return;
        const int room = l->contentsRect().width() - 2 * l->margin() - qMax(0, l->indent());
        text(l->text(), widest(l->fontMetrics(), l->text()), room, where);
    }

    void button(QAbstractButton* b, const QString& where) {
        if (b->text().isEmpty()) return;
        if (auto* tool = qobject_cast<QToolButton*>(b);
            tool && tool->toolButtonStyle() == Qt::ToolButtonIconOnly)
            return;  // the text is the tool tip's
        QStyleOptionButton opt;
        opt.initFrom(b);
        opt.text = b->text();
        opt.icon = b->icon();
        opt.iconSize = b->iconSize();
        QStyle::SubElement contents = QStyle::SE_PushButtonContents;
        if (qobject_cast<QCheckBox*>(b)) contents = QStyle::SE_CheckBoxContents;
        if (qobject_cast<QRadioButton*>(b)) contents = QStyle::SE_RadioButtonContents;
        if (auto* push = qobject_cast<QPushButton*>(b); push && push->autoDefault())
            opt.features |= QStyleOptionButton::AutoDefaultButton;
        const int room = b->style()->subElementRect(contents, &opt, b).width();
        const int icon = b->icon().isNull() ? 0 : b->iconSize().width() + 4;
        text(b->text(), b->fontMetrics().horizontalAdvance(b->text()) + icon, room, where);
    }

    void groupBox(QGroupBox* box, const QString& where) {
        QStyleOptionGroupBox opt;
        opt.initFrom(box);
        opt.text = box->title();
        opt.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
        const QRect label =
            box->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, box);
        text(box->title(), label.right() + 1, box->width(), where);
    }

    void tabBar(QTabBar* tabs, const QString& where) {
        // Tabs too wide for the strip keep their width and get scroll buttons.
        for (int i = 0; i < tabs->count(); ++i)
            text(tabs->tabText(i), tabs->tabRect(i).right() + 1, tabs->parentWidget()->width(),
                 where);
    }

    void header(QHeaderView* h, const QString& where) {
        if (h->isHidden()) return;
        const int padding = 2 * h->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, h);
        for (int i = 0; i < h->count(); ++i) {
            const QString t = h->model()->headerData(i, h->orientation()).toString();
            text(t, h->fontMetrics().horizontalAdvance(t) + padding, h->sectionSize(i), where);
        }
    }
};

// Every window in English: nothing Chinese is left, and no text is wider than
// its control. With HX_DOCS_DIR set the pictures are kept.
TEST_F(MainWindowTest, EveryWindowInEnglishFitsItsControls) {
    ASSERT_TRUE(app::installTranslations(*qApp, QLocale(QLocale::English, QLocale::UnitedStates),
                                         QStringLiteral(HX_QM_DIR)));
    struct Restore {
        ~Restore() { removeTranslators(); }
    } restore;
    makeDatabase({"Tools", "Games"},
                 {{"Tools", "Office", {"Editor", "Mail"}}, {"Tools", "Web", {}}});
    ASSERT_TRUE(startWindow());
    window->itemGrid()->setCurrentRow(0);
    app::WindowHost& host = window->windows();
    host.openCategoryWindow();
    host.openColumnWindow();
    host.openItemEditor();
    host.openWebLinkWindow();
    host.openSystemPicker();
    host.openIconPicker();
    host.openInstalledPrograms();
    host.openSettings(appearance::SettingsWindow::BasicPage);
    FakePowerBackend power;
    extras::CountdownWindow countdown(power, [] {});
    extras::WeatherWindow weather;
    countdown.show();
    weather.show();
    settle();

    FitCheck check;
    const QString docs = qEnvironmentVariable("HX_DOCS_DIR");
    const auto look = [&](QWidget* w, const QString& name) {
        const QImage picture = w->grab().toImage();
        EXPECT_FALSE(picture.isNull()) << name.toStdString();
        check.window(w, name);
        if (!docs.isEmpty()) picture.save(QStringLiteral("%1/english-%2.png").arg(docs, name));
    };
    // What the status bar and the weekday show in turn.
    auto* clock = window->findChild<extras::Clock*>();
    ASSERT_NE(clock, nullptr);
    clock->tick();
    QLabel* weekday = nullptr;
    for (QLabel* l : window->findChildren<QLabel*>())
        if (l->text() == extras::weekdayName(QDate::currentDate().dayOfWeek())) weekday = l;
    ASSERT_NE(weekday, nullptr);
    window->setStatusText(1, extras::composeGreeting());
    look(window.get(), QStringLiteral("MainWindow"));
    check.text(window->windowTitle(), 0, 0, QStringLiteral("MainWindow title"));
    for (int i = 1; i <= 7; ++i) {
        weekday->setText(extras::weekdayName(i));
        window->setStatusText(
            0,
            i == 1   ? QCoreApplication::translate("PanelKey", qUtf8Printable(app::PanelKey::kHeld))
            : i == 2 ? QCoreApplication::translate("PanelKey",
                                                   qUtf8Printable(app::PanelKey::kUnreadable))
            : i == 3 ? QCoreApplication::translate("Database", qUtf8Printable(core::kConnectedText))
            : i == 4 ? QCoreApplication::translate("hx::core::SyncEngine", "同步冲突，已自动备份")
            : i == 5 ? QCoreApplication::translate("hx::core::SyncEngine", "同步前已自动备份")
            : i == 6
                ? QCoreApplication::translate("hx::core::SyncEngine", "同步：%1项未显示").arg(10)
                : QCoreApplication::translate("hx::core::SyncEngine", "同步：%1个重名已加编号")
                      .arg(10));
        window->setStatusText(1, extras::composeGreeting(QTime(i * 3 + 1, 59)));
        check.window(window.get(), QStringLiteral("MainWindow%1").arg(i));
    }
    QStringList windows{QStringLiteral("MainWindow")};
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible() || qobject_cast<QMenu*>(w)) continue;
        const QString name = QString::fromLatin1(w->metaObject()->className()).section(u':', -1);
        check.text(w->windowTitle(), 0, 0, name + QStringLiteral(" title"));
        if (auto* settings = qobject_cast<appearance::SettingsWindow*>(w)) {
            for (int page = 0; page < 3; ++page) {
                settings = host.openSettings(page);
                look(settings, name + QString::number(page));
            }
        } else {
            look(w, name);
        }
        windows << name;
    }
    EXPECT_EQ(windows.size(), 11) << windows.join(u' ').toStdString();
    for (QMenu* menu : {window->columnMenu(), window->itemMenu(), window->trayMenu()})
        check.menu(menu, window->width(), menu->title());
    EXPECT_TRUE(check.faults.isEmpty()) << check.faults.join(u'\n').toStdString();
}

}  // namespace
}  // namespace hx::test
