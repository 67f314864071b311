// SPDX-License-Identifier: GPL-3.0-or-later
#include "canvas/canvasmenu.h"

#include "canvas/plotcanvas.h"
#include "canvas/requestedmenu.h"
#include "savefile/savefailure.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageWriter>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QSaveFile>
#include <QScreen>

namespace kvadrolab {

namespace {

constexpr char kPictureOnly[] = "kvadrolabPictureOnly";

SaveDialog &saveDialog()
{
    static SaveDialog dialog;
    return dialog;
}

// The widgets that make a designed chart's picture. A child of the canvas, so
// that it goes with it; guarded pointers, so that a widget gone before the
// canvas leaves the rest of the picture.
class PictureRegion : public QObject
{
public:
    PictureRegion(PlotCanvas *canvas, const QList<QWidget *> &around) : QObject(canvas)
    {
        setObjectName(QStringLiteral("pictureRegion"));
        for (QWidget *w : around)
            if (w != canvas)
                m_around << w;
    }

    // The canvas first, then the rest: the captions stand above it in the
    // window too, and they are transparent.
    QList<QWidget *> parts(const PlotCanvas &canvas) const
    {
        QList<QWidget *> parts{const_cast<PlotCanvas *>(&canvas)};
        for (const QPointer<QWidget> &w : m_around)
            if (w && w->window() == canvas.window() && !w->isHidden())
                parts << w.data();
        return parts;
    }

private:
    QList<QPointer<QWidget>> m_around;
};

// What draws a chart's picture anew for the menu, riding on the canvas.
class PictureMaker : public QObject
{
public:
    PictureMaker(PlotCanvas *canvas, std::function<QImage()> make)
        : QObject(canvas), make(std::move(make))
    {
        setObjectName(QStringLiteral("pictureMaker"));
    }
    std::function<QImage()> make;
};

QRect inWindow(const QWidget *w)
{
    return QRect(w->mapTo(w->window(), QPoint(0, 0)), w->size());
}

const PictureRegion *pictureRegion(const PlotCanvas &canvas)
{
    return canvas.findChild<PictureRegion *>(QStringLiteral("pictureRegion"),
                                             Qt::FindDirectChildrenOnly);
}

// The canvas's menu; the canvas itself stays a drawing surface.
class Menu : public RequestedMenu
{
public:
    Menu(PlotCanvas *canvas, Complaint complain)
        : RequestedMenu(canvas), m_canvas(canvas), m_complain(std::move(complain))
    {
    }

protected:
    QPoint keyboardPlace() const override
    {
        return m_canvas->mapToGlobal(m_canvas->rect().center());
    }

    void fill(QMenu &menu) override
    {
        menu.setObjectName(QStringLiteral("canvasMenu"));
        QAction *copy = menu.addAction(QStringLiteral("Копировать"));
        copy->setObjectName(QStringLiteral("copyPicture"));
        connect(copy, &QAction::triggered, this, [this] { copyToClipboard(*m_canvas); });
        QAction *save = menu.addAction(QStringLiteral("Сохранить изображение…"));
        save->setObjectName(QStringLiteral("savePicture"));
        connect(save, &QAction::triggered, this, [this] {
            saveAskingWhere(
                m_canvas->window(), kPictureFile, suggestedPath(*m_canvas),
                QStringLiteral("изображение"),
                [this](const QString &path) { return savePicture(*m_canvas, path); }, m_complain);
        });
    }

private:
    PlotCanvas *m_canvas;
    Complaint m_complain;
};

} // namespace

void attachCanvasMenu(PlotCanvas *canvas, Complaint complain)
{
    // Click focus only: the designed windows fix their tab order, and a
    // canvas in it would change what Tab visits.
    canvas->setFocusPolicy(Qt::ClickFocus);
    new Menu(canvas, std::move(complain));
}

void setPictureOnly(PlotCanvas *canvas)
{
    canvas->setProperty(kPictureOnly, true);
}

namespace {
constexpr char kPictureNameProperty[] = "kvadrolab_pictureName";
} // namespace

QString fileDialog(QWidget *parent, const FileKind &kind, const QString &suggested)
{
    QFileDialog dialog(parent, QString::fromUtf8(kind.title), suggested,
                       QString::fromUtf8(kind.filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QString::fromUtf8(kind.suffix));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

QString askWhereToSave(QWidget *parent, const FileKind &kind, const QString &suggested)
{
    if (saveDialog())
        return saveDialog()(parent, suggested);
    return fileDialog(parent, kind, suggested);
}

void saveAskingWhere(QWidget *window, const FileKind &kind, const QString &suggested,
                     const QString &what, const std::function<Result<void>(const QString &)> &save,
                     const Complaint &complain)
{
    const QString path = askWhereToSave(window, kind, suggested);
    if (path.isEmpty())
        return;
    if (const Result<void> saved = save(path); !saved)
        complain(window,
                 QStringLiteral("Не удалось сохранить %1 в файл «%2». %3")
                     .arg(what, QDir::toNativeSeparators(path), savingRefusalText(saved.reason())));
}

void setSaveDialog(SaveDialog dialog)
{
    saveDialog() = std::move(dialog);
}

void setPictureRegion(PlotCanvas *canvas, const QList<QWidget *> &around)
{
    delete pictureRegion(*canvas);
    new PictureRegion(canvas, around);
}

void setPictureMaker(PlotCanvas *canvas, std::function<QImage()> make)
{
    delete canvas->findChild<PictureMaker *>(QStringLiteral("pictureMaker"),
                                             Qt::FindDirectChildrenOnly);
    if (make)
        new PictureMaker(canvas, std::move(make));
}

QImage exportedPicture(const PlotCanvas &canvas)
{
    const PictureRegion *region = pictureRegion(canvas);
    if (!region)
        return canvas.image();
    const QList<QWidget *> parts = region->parts(canvas);
    QRect united;
    for (const QWidget *w : parts)
        united |= inWindow(w);
    // Each part painted by itself, as the window paints it, at the window's
    // device pixel ratio, onto the window's background. Not a grab of the
    // whole rectangle: in the function graph the header's labels and field
    // reach into it beside the y axis's caption, and they are no part of
    // the chart.
    const QWidget *window = canvas.window();
    const qreal dpr = window->devicePixelRatioF();
    QImage picture((QSizeF(united.size()) * dpr).toSize(), QImage::Format_RGB32);
    picture.setDevicePixelRatio(dpr);
    picture.fill(window->palette().color(QPalette::Window));
    for (QWidget *w : parts)
        w->render(&picture, inWindow(w).topLeft() - united.topLeft(), QRegion(),
                  QWidget::DrawChildren);
    return picture;
}

QImage savedPicture(const PlotCanvas &canvas)
{
    if (const auto *maker = canvas.findChild<PictureMaker *>(QStringLiteral("pictureMaker"),
                                                             Qt::FindDirectChildrenOnly))
        if (QImage made = maker->make(); !made.isNull())
            return made;
    return exportedPicture(canvas);
}

void copyToClipboard(const PlotCanvas &canvas)
{
    auto *data = new QMimeData;
    data->setImageData(exportedPicture(canvas));
    const QStringList printed = canvas.printedLines();
    if (!printed.isEmpty() && !canvas.property(kPictureOnly).toBool())
        data->setText(printed.join(QLatin1Char('\n')));
    QApplication::clipboard()->setMimeData(data);
}

Result<void> savePicture(const PlotCanvas &canvas, const QString &path)
{
    QImage picture = savedPicture(canvas);
    // The pixels are the screen's own (or more of them to each of its); saying so in the file lets
    // a report print the chart at the size it had on screen.
    if (const QScreen *screen = canvas.screen()) {
        const double dpi = screen->logicalDotsPerInch() * picture.devicePixelRatio();
        const int perMetre = qRound(dpi / 0.0254);
        picture.setDotsPerMeterX(perMetre);
        picture.setDotsPerMeterY(perMetre);
    }
    QSaveFile file(path);
    // QSaveFile says only that it could not open or write: the path and its
    // folder say why.
    if (!file.open(QIODevice::WriteOnly))
        return whyNotSaved(path, Writing::Replacing);
    QImageWriter writer(&file, "png");
    // Flushed here, not left to commit(): commit() flushes too, but a failed
    // flush there (a full disk) does not stop it from putting the empty
    // temporary file in place of the one at the path.
    if (!writer.write(picture) || !file.flush()) {
        file.cancelWriting();
        return Refusal{Reason::WriteFailed, Input::Path};
    }
    if (!file.commit())
        return Refusal{Reason::WriteFailed, Input::Path};
    return {};
}

void setPictureName(PlotCanvas *canvas, const QString &name)
{
    canvas->setProperty(kPictureNameProperty, name);
}

QString pictureName(const PlotCanvas &canvas)
{
    const QString given = canvas.property(kPictureNameProperty).toString().trimmed();
    if (!given.isEmpty())
        return given;
    // A result area's accessible name is the text it printed (PlotCanvas
    // says it so): that is no name for a file, and the designed windows keep
    // their caption.
    const QString own = canvas.accessibleName().trimmed();
    if (canvas.accessibleName() == canvas.printedLines().join(QLatin1Char('\n')))
        return QString();
    return own;
}

QString suggestedPath(const PlotCanvas &canvas)
{
    QString name = canvas.window()->windowTitle().trimmed();
    if (const QString own = pictureName(canvas); !own.isEmpty())
        name = name.isEmpty() ? own : name + QStringLiteral(" — ") + own;
    return QDir::home().filePath(safeFileName(name, QStringLiteral("график")) +
                                 QStringLiteral(".png"));
}

QString savingRefusalText(Reason why)
{
    switch (why) {
    case Reason::MissingFolder:
        return QStringLiteral("Папка не существует.");
    case Reason::IsAFolder:
        return QStringLiteral("Это папка, а не файл.");
    case Reason::NoPermission:
        return QStringLiteral("Нет прав на запись.");
    default:
        break;
    }
    return QStringLiteral("Не удалось записать файл.");
}

} // namespace kvadrolab
