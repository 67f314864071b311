// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/result.h"

#include <QString>

#include <QImage>
#include <QList>

#include <functional>

class QWidget;

// The context menu every plot canvas carries, so that a chart or a result can
// leave the program: "Копировать" puts the picture (and a result area's
// printed text) on the clipboard, "Сохранить изображение…" writes it as PNG.
// It opens on a right click, on the keyboard's menu key and on Shift+F10.
namespace kvadrolab {
class PlotCanvas;
}

namespace kvadrolab {

// Tells the user something went wrong (the program's one notifier).
using Complaint = std::function<void(QWidget *parent, const QString &text)>;
// Asks for the file to save to, starting at the suggested path; an empty
// result means the user cancelled.
using SaveDialog = std::function<QString(QWidget *parent, const QString &suggestedPath)>;

// Gives the canvas its menu. The canvas takes the focus when clicked, so the
// menu keys reach it; it stays out of the tab order the windows were designed with.
void attachCanvasMenu(PlotCanvas *canvas, Complaint complain);

// A chart's printed captions belong to its picture: "Копировать" then puts
// only the picture on the clipboard, so that pasting gives the chart.
void setPictureOnly(PlotCanvas *canvas);

// Replaces the file dialog (tests answer it themselves); an empty one restores it.
void setSaveDialog(SaveDialog dialog);

// The name a chart's picture goes under, after the window's caption. A chart
// that prints its title and legend has them as its accessible name, which
// is no name for a file; this one is.
void setPictureName(PlotCanvas *canvas, const QString &name);
// That name; without one, the canvas's accessible name where it is not just
// its printed text; otherwise empty.
QString pictureName(const PlotCanvas &canvas);

// What a save dialog asks for: its title, the file type's filter and the
// suffix a name typed without one gets.
struct FileKind
{
    const char *title;
    const char *filter;
    const char *suffix;
};
inline constexpr FileKind kPictureFile{"Сохранить изображение", "Изображение PNG (*.png)", "png"};
inline constexpr FileKind kTableFile{"Сохранить таблицу", "Таблица CSV (*.csv)", "csv"};
inline constexpr FileKind kSheetFile{"Сохранить отчёт", "Документ PDF (*.pdf)", "pdf"};

// The platform's file dialog for a file of that kind, starting at the
// suggested path; an empty result means the user cancelled.
QString fileDialog(QWidget *parent, const FileKind &kind, const QString &suggested);

// Asks where to save: the dialog of setSaveDialog() when one is set, the
// platform's otherwise.
QString askWhereToSave(QWidget *parent, const FileKind &kind, const QString &suggested);

// Asks where to save, saves there with `save`, and tells `complain` when it
// could not: «Не удалось сохранить <what> в файл «…». <why>». A cancelled
// dialog saves nothing and says nothing.
void saveAskingWhere(QWidget *window, const FileKind &kind, const QString &suggested,
                     const QString &what, const std::function<Result<void>(const QString &)> &save,
                     const Complaint &complain);

// A designed chart's scale captions, axis lines and legend stand beside its
// canvas as widgets of their own. Given them (the canvas may be among them),
// the menu copies and saves, instead of the bare canvas, the window's
// rectangle that their geometries and the canvas's unite: each of them as the
// window shows it, on the window's background, and nothing else of the window
// that reaches into the rectangle. Set once, when the window is built; the
// widgets must be in the canvas's window.
void setPictureRegion(PlotCanvas *canvas, const QList<QWidget *> &around);

// A chart that draws itself anew for a file, larger and titled: the menu
// saves what `make` returns, where it returns a picture, instead of the
// canvas's pixels; it still copies what the screen shows. An empty one
// restores the canvas's.
void setPictureMaker(PlotCanvas *canvas, std::function<QImage()> make);

// What the menu copies, in device pixels: the canvas's picture, or the
// chart's region set by setPictureRegion().
QImage exportedPicture(const PlotCanvas &canvas);
// What the menu saves: the picture setPictureMaker()'s function makes, or
// else exportedPicture().
QImage savedPicture(const PlotCanvas &canvas);

// The two actions of the menu.
void copyToClipboard(const PlotCanvas &canvas);
// Writes the picture at the screen's resolution as PNG. A file already at the
// path is replaced only once the new one is complete. Saved, or why not: as
// whyNotSaved() says of a file that is always replaced.
Result<void> savePicture(const PlotCanvas &canvas, const QString &path);

// "<home>/<the window's caption> — <the canvas's accessible name>.png", so that
// two charts of one window never suggest the same file; without a name of its
// own (a result area's name is only its printed text) "<home>/<caption>.png".
// Made a safe file name by safeFileName() (savefile/savefailure.h).
QString suggestedPath(const PlotCanvas &canvas);

// Why a file could not be saved, as one sentence for the user: the words for
// whyNotSaved()'s reasons (savefile/savefailure.h), shared by every save that
// asks it.
QString savingRefusalText(Reason why);

} // namespace kvadrolab
