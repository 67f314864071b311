// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/result.h"

#include <QString>

#include <functional>
#include <optional>

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

// The two actions of the menu.
void copyToClipboard(const PlotCanvas &canvas);
// Writes the picture at the screen's resolution as PNG. A file already at the
// path is replaced only once the new one is complete. Saved, or why not: as
// whyNotSaved() says of a file that is always replaced.
Result<void> savePicture(const PlotCanvas &canvas, const QString &path);

// "<home>/<the window's caption>.png", with characters no file system takes
// replaced.
QString suggestedPath(const PlotCanvas &canvas);

} // namespace kvadrolab
