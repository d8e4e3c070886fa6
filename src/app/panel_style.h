#pragma once

#include <QProxyStyle>

namespace hx::app {

// The toolkit's style as it stands, but for the pictures of the toolbar's
// extension button: the style reads them by asking every image plugin what
// the file is, which loads them all before the first paint; these are read
// as the PNG files they are.
//
// It also draws the default skin's look while that skin's style sheet waits
// for the first paint (setDefaultSkinLook): the colours and frames the sheet
// gives the main window's widgets, to the pixel but for the smoothing of
// rounded corners, without parsing the sheet.
class PanelStyle : public QProxyStyle {
    Q_OBJECT
  public:
    explicit PanelStyle(QStyle* base);
    // Makes it the application's style (once), around the style in use.
    static void install();
    // On: widgets polished from now on take the default skin's colours. Off:
    // they get back the palettes they had, before the sheet is attached.
    static void setDefaultSkinLook(bool on);

    QIcon standardIcon(StandardPixmap pixmap, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
    void polish(QWidget* widget) override;
    using QProxyStyle::polish;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget = nullptr) const override;
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sub,
                         const QWidget* widget = nullptr) const override;
    QRect subElementRect(SubElement element, const QStyleOption* option,
                         const QWidget* widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& contents,
                           const QWidget* widget = nullptr) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
};

}  // namespace hx::app
