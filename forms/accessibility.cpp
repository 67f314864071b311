#include "accessibility.h"

#include "formulapicture.h"
#include "plotcanvas.h"

#include <QAccessibleWidget>

namespace kvadrolab::forms {

namespace {

QAccessibleInterface *graphics(const QString &className, QObject *object)
{
    if (!object->isWidgetType())
        return nullptr;
    if (className == QLatin1String("FormulaPicture") || className == QLatin1String("PlotCanvas"))
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Graphic);
    return nullptr;
}

} // namespace

void installAccessibleRoles()
{
    static bool installed = false;
    if (!installed) {
        QAccessible::installFactory(&graphics);
        installed = true;
    }
}

} // namespace kvadrolab::forms
