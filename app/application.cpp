// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/application.h"

#include "forms/accessibility.h"
#include "forms/fonts.h"

#include <QApplication>
#include <QIcon>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QTranslator>

namespace kvadrolab {

namespace {

// Fusion, plus what keyboard users of a desktop expect from a menu bar: Alt
// alone takes the keyboard to it. Without widget animations: every window
// keeps a fixed layout, so there is nothing to animate, and the main window's
// layout would otherwise start a geometry animation each time it is shown.
class DesktopStyle : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *data) const override
    {
        if (hint == SH_MenuBar_AltKeyNavigation)
            return 1;
        if (hint == SH_Widget_Animation_Duration)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
};

QIcon programIcon()
{
#ifdef KVADROLAB_HAVE_SVG
    return QIcon(QStringLiteral(":/icons/kvadrolab.svg"));
#else
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/kvadrolab-%1.png").arg(size), QSize(size, size));
    return icon;
#endif
}

} // namespace

void configureApplication(QApplication &app)
{
    // The same look on every desktop, and so on every screenshot and test.
    app.setStyle(new DesktopStyle(QStyleFactory::create(QStringLiteral("Fusion"))));
    installFontSubstitutes();
    installAccessibleRoles();
    app.setFont(designFont());
    // No applicationDisplayName: X11 would append it to every caption.
    app.setApplicationName(QStringLiteral("kvadrolab"));
    // Matches the installed .desktop entry, so docks group the windows under it.
    app.setDesktopFileName(QStringLiteral("kvadrolab"));
    app.setWindowIcon(programIcon());
    // Qt's own texts (a field's context menu, a message box's button) in
    // Russian, whatever the user's locale, as every text of the program is.
    // Compiled in (resources/): no translation file is read at run time.
    auto *qtRussian = new QTranslator(&app);
    if (qtRussian->load(QStringLiteral(":/translations/qtbase_ru.qm")))
        app.installTranslator(qtRussian);
}

} // namespace kvadrolab
