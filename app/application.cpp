#include "application.h"

#include "fonts.h"

#include <QApplication>
#include <QStyleFactory>

namespace kvadrolab {

void configureApplication(QApplication &app)
{
    // The same look on every desktop, and so on every screenshot and test.
    app.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    forms::installFontSubstitutes();
    app.setFont(forms::designFont());
    // No applicationDisplayName: X11 would append it to every caption.
    app.setApplicationName(QStringLiteral("kvadrolab"));
}

} // namespace kvadrolab
