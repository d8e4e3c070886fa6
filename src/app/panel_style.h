#pragma once

#include <QProxyStyle>

namespace hx::app {

// The toolkit's style as it stands, but for the pictures of the toolbar's
// extension button: the style reads them by asking every image plugin what
// the file is, which loads them all before the first paint; these are read
// as the PNG files they are.
class PanelStyle : public QProxyStyle {
    Q_OBJECT
  public:
    explicit PanelStyle(QStyle* base);
    // Makes it the application's style (once), around the style in use.
    static void install();
    QIcon standardIcon(StandardPixmap pixmap, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
};

}  // namespace hx::app
