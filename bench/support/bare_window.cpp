// The yardsticks of the start-up benchmark: a bare Qt window of the main
// window's size, or with --text the same window showing one line of Chinese
// text (so fonts are loaded as the program loads them), ended at its first
// paint exactly as the program is.
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <cstdlib>

namespace {
class FirstPaintExit : public QObject {
  public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) std::_Exit(0);
        return QObject::eventFilter(watched, event);
    }
};
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setFixedSize(220, 474);
    if (app.arguments().contains(QStringLiteral("--text"))) {
        auto* line = new QLabel(QStringLiteral("衡岫软件欢迎使用！"), &window);
        line->setGeometry(0, 446, 220, 20);
    }
    FirstPaintExit exit;
    window.installEventFilter(&exit);
    window.show();
    return app.exec();
}
