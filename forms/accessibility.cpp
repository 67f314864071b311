#include "forms/accessibility.h"

#include "canvas/plotcanvas.h"
#include "forms/formulapicture.h"

#include <QAccessibleWidget>

namespace kvadrolab::forms {

namespace {

// Decided by type, not by class name, so that a renamed or namespaced class
// keeps its role.
QAccessibleInterface *graphics(const QString &, QObject *object)
{
    if (qobject_cast<FormulaPicture *>(object) || qobject_cast<PlotCanvas *>(object))
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
