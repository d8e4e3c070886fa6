#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

namespace hx::core {
class Session;
class Catalogue;
}  // namespace hx::core

namespace hx::items {

// "添加超链接": adds web links to the current column, one per press of
// "添加"; it stays open so several can be added in a row.
class WebLinkWindow : public QWidget {
    Q_OBJECT
  public:
    static inline const char* const kLineBreakRefused = QT_TR_NOOP("地址中不能够含有换行符！");
    static inline const char* const kNoColumn = QT_TR_NOOP("请添加栏目！");

    struct Controls {
        QLabel* nameLabel = nullptr;
        QLineEdit* name = nullptr;
        QLabel* addressLabel = nullptr;
        QLineEdit* address = nullptr;
        QPushButton* add = nullptr;
    };

    // `panel`: the main window's top-left corner, which the window is placed by.
    WebLinkWindow(core::Session& session, core::Catalogue& catalogue, const QPoint& panel,
                  QWidget* parent = nullptr);

    const Controls& controls() const { return c_; }

    // "添加": the entry is stored first and shown only once stored, so the
    // grid never lists a row the table does not hold.
    void addLink();

  private:
    core::Session& session_;
    core::Catalogue& catalogue_;
    Controls c_;
};

}  // namespace hx::items
