// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/accessibility.h"

#include "canvas/plotcanvas.h"
#include "forms/formulapicture.h"

#include <QAccessibleWidget>
#include <QContextMenuEvent>
#include <QCoreApplication>

namespace kvadrolab {

namespace {

// A canvas offers its context menu to assistive technology too, so that
// "Копировать" and "Сохранить изображение…" are reachable without a mouse
// and outside the tab order.
class CanvasInterface : public QAccessibleWidget
{
public:
    explicit CanvasInterface(QWidget *canvas) : QAccessibleWidget(canvas, QAccessible::Graphic) {}

    QStringList actionNames() const override
    {
        return QAccessibleWidget::actionNames() << showMenuAction();
    }

    void doAction(const QString &action) override
    {
        if (action != showMenuAction()) {
            QAccessibleWidget::doAction(action);
            return;
        }
        QWidget *w = widget();
        const QPoint centre = w->rect().center();
        QContextMenuEvent event(QContextMenuEvent::Keyboard, centre, w->mapToGlobal(centre));
        QCoreApplication::sendEvent(w, &event);
    }
};

// Decided by type, not by class name, so that a renamed or namespaced class
// keeps its role.
QAccessibleInterface *graphics(const QString &, QObject *object)
{
    if (qobject_cast<PlotCanvas *>(object))
        return new CanvasInterface(static_cast<QWidget *>(object));
    if (qobject_cast<FormulaPicture *>(object))
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

} // namespace kvadrolab
