// SPDX-License-Identifier: GPL-3.0-or-later
#include "studywindow/chartdrawing.h"

#include <QFontInfo>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace kvadrolab {

namespace {

// The drawing rides on the canvas as a child, as the canvas menu's picture
// region does: it goes when the canvas goes.
class KeptChart : public QObject
{
public:
    KeptChart(PlotCanvas *canvas, ChartDrawing drawing, QString subject)
        : QObject(canvas), drawing(std::move(drawing)), subject(std::move(subject))
    {
        setObjectName(QStringLiteral("keptChart"));
    }
    ChartDrawing drawing;
    QString subject;
};

const KeptChart *kept(const PlotCanvas &canvas)
{
    return canvas.findChild<KeptChart *>(QStringLiteral("keptChart"), Qt::FindDirectChildrenOnly);
}

// The size of a chart's text on screen in logical pixels, for the pixel
// sizes the paper and picture fonts are given in.
constexpr int kChartTextPixels = 12;

} // namespace

void keepChartDrawing(PlotCanvas &canvas, ChartDrawing drawing, const QString &subject)
{
    delete kept(canvas);
    if (drawing)
        new KeptChart(&canvas, std::move(drawing), subject);
}

ChartDrawing keptChartDrawing(const PlotCanvas &canvas)
{
    const KeptChart *k = kept(canvas);
    return k ? k->drawing : ChartDrawing();
}

QString keptChartSubject(const PlotCanvas &canvas)
{
    const KeptChart *k = kept(canvas);
    return k ? k->subject : QString();
}

QFont paperChartFont(int pixels)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(std::max(1, pixels));
    // Hinting fits glyphs to a screen's pixels; on paper and when scaled
    // the design's own widths keep the layout's measures true.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

QImage chartPicture(const PlotCanvas &canvas, QStringList *printed)
{
    const KeptChart *k = kept(canvas);
    if (!k)
        return QImage();
    // Laid out as the canvas shows it, in logical pixels, and drawn at the
    // screen's ratio or at the ratio that makes it wide enough.
    const QSizeF logical = QSizeF(canvas.contentsRect().size()).expandedTo(QSizeF(1, 1));
    const double ratio = std::max(canvas.devicePixelRatioF(), kChartPictureWidth / logical.width());
    QImage picture(
        QSize(int(std::ceil(logical.width() * ratio)), int(std::ceil(logical.height() * ratio))),
        QImage::Format_RGB32);
    picture.fill(Qt::white);
    picture.setDevicePixelRatio(ratio);
    // The canvas's font at the pixel size it has on screen.
    const QFont font = paperChartFont(QFontInfo(canvas.font()).pixelSize());
    QPainter painter(&picture);
    const QStringList lines =
        paintChart(painter, QRectF(QPointF(0, 0), logical), logical, font, k->subject, k->drawing);
    painter.end();
    if (printed)
        *printed = lines;
    return picture;
}

QStringList paintChartOnPaper(QPainter &painter, const QRectF &rect, double dpi,
                              const ChartDrawing &drawing)
{
    if (!(rect.width() > 0) || !(rect.height() > 0) || !(dpi > 0))
        return {};
    // kChartTextPixels logical pixels are kPaperChartPoints on paper: the
    // rectangle's width in points, scaled so.
    const double perPoint = kChartTextPixels / kPaperChartPoints;
    const QSizeF logical(rect.width() * 72 / dpi * perPoint, rect.height() * 72 / dpi * perPoint);
    return paintChart(painter, rect, logical, paperChartFont(kChartTextPixels), QString(), drawing);
}

} // namespace kvadrolab
