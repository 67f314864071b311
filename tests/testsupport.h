// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What tests of several areas need: a file's bytes as the program left them,
// and whether a canvas shows nothing but its background. Reading charts
// pixel by pixel is in tests/pixels.h.

#include <QByteArray>
#include <QFile>
#include <QString>

namespace testsupport {

// The whole file; nothing when it cannot be read.
inline QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Neither drawn nor printed on: every pixel of the canvas's interior in its
// back colour, and no printed line. A template, so that this header needs no
// Qt Gui: the report's test links Qt Core alone.
template <typename Canvas> bool isBlank(const Canvas &canvas)
{
    if (!canvas.printedLines().isEmpty())
        return false;
    const auto image = canvas.image();
    const auto back = Canvas::toQColor(canvas.backColor()).rgb();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != back)
                return false;
    return true;
}

} // namespace testsupport
