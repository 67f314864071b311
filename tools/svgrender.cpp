// SPDX-License-Identifier: GPL-3.0-or-later
// Renders the SVG pictures for a build that has no Qt Svg (the Windows one):
//   svgrender pictures OUTDIR FILE.svg...   FILE@1x.png, FILE@1.5x.png, FILE@2x.png
//   svgrender icon OUTDIR FILE.svg          FILE-16.png ... FILE-256.png and FILE.ico
// Runs on the build machine with its Qt Svg, so the pictures are drawn by the
// same renderer, in the same fonts, as the program draws them on Linux.

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QSvgRenderer>

#include <cmath>
#include <cstdio>

namespace {

QImage render(QSvgRenderer &renderer, QSizeF logical, double ratio)
{
    const QSize pixels(int(std::ceil(logical.width() * ratio - 1e-9)),
                       int(std::ceil(logical.height() * ratio - 1e-9)));
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.scale(ratio, ratio);
    renderer.render(&p, QRectF(QPointF(0, 0), logical));
    return image;
}

bool save(const QImage &image, const QString &path)
{
    if (image.save(path))
        return true;
    std::fprintf(stderr, "svgrender: cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4 ||
        (args[1] != QLatin1String("pictures") && args[1] != QLatin1String("icon"))) {
        std::fprintf(stderr, "usage: svgrender pictures|icon OUTDIR FILE.svg...\n");
        return 2;
    }
    const QDir out(args[2]);
    QDir().mkpath(out.path());
    for (const QString &file : args.mid(3)) {
        QSvgRenderer renderer(file);
        if (!renderer.isValid()) {
            std::fprintf(stderr, "svgrender: %s is not a valid SVG\n", qPrintable(file));
            return 1;
        }
        const QString base = out.filePath(QFileInfo(file).completeBaseName());
        if (args[1] == QLatin1String("pictures")) {
            for (const double ratio : {1.0, 1.5, 2.0}) {
                const QString name = base + QLatin1Char('@') + QString::number(ratio) + "x.png";
                if (!save(render(renderer, renderer.defaultSize(), ratio), name))
                    return 1;
            }
        } else {
            QImage largest;
            for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
                const QImage image = render(renderer, QSizeF(size, size), 1.0);
                if (!save(image, base + QLatin1Char('-') + QString::number(size) + ".png"))
                    return 1;
                largest = image;
            }
            // Qt's ICO writer stores one image; Windows scales it for the
            // smaller views, and the window icon takes the PNGs above.
            QImageWriter ico(base + ".ico", "ico");
            if (!ico.write(largest)) {
                std::fprintf(stderr, "svgrender: cannot write %s.ico: %s\n", qPrintable(base),
                             qPrintable(ico.errorString()));
                return 1;
            }
        }
    }
    return 0;
}
