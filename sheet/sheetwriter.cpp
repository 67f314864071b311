// SPDX-License-Identifier: GPL-3.0-or-later
#include "savefile/savefailure.h"
#include "sheet/sheetlayout.h"
#include "sheet/studysheet.h"

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPen>
#include <QSaveFile>

namespace kvadrolab {

namespace {

// Ten device pixels to the point. Qt sets a font in whole pixels: at this
// resolution every size in half points is one, and the sheet's fonts are
// their exact sizes (at 300 dpi, 9 pt would be set as 9.12 pt).
constexpr int kResolution = 720;
// Millimetres: left, top, right, bottom. The running header and the page
// numbers stand inside them.
const QMarginsF kMargins(15, 12, 15, 12);

// Passes every byte on to the file and remembers a write that did not take
// all it was given: on a full disk a write may take part of its bytes and
// report no error, and the PDF writer does not look at what its writes return.
class CheckedDevice : public QIODevice
{
public:
    explicit CheckedDevice(QIODevice &file) : m_file(file) { open(QIODevice::WriteOnly); }
    bool failed() const { return m_failed; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override
    {
        if (!m_failed && m_file.write(data, size) != size)
            m_failed = true;
        return m_failed ? -1 : size;
    }

private:
    QIODevice &m_file;
    bool m_failed = false;
};

struct ItemPainter
{
    QPainter &painter;

    void operator()(const SheetTextItem &item) const
    {
        painter.setFont(item.font);
        painter.setPen(item.color);
        painter.drawText(item.rect, item.flags, item.text);
    }
    void operator()(const SheetRuleItem &item) const
    {
        QPen pen(item.color, item.width);
        pen.setCapStyle(Qt::SquareCap);
        painter.setPen(pen);
        painter.drawLine(item.line);
    }
    void operator()(const SheetFillItem &item) const { painter.fillRect(item.rect, item.color); }
    void operator()(const SheetPictureItem &item) const
    {
        painter.drawImage(item.rect, item.image);
    }
    void operator()(const SheetChartItem &item) const
    {
        // Whatever the chart sets on the painter stays with it.
        painter.save();
        if (item.draw)
            item.draw(painter, item.rect, item.dpi);
        painter.restore();
    }
};

bool paint(QPdfWriter &writer, const QList<SheetPage> &pages)
{
    QPainter painter;
    if (!painter.begin(&writer))
        return false;
    // Charts are lines on a plain ground: a lossy encoding would fringe them.
    painter.setRenderHint(QPainter::LosslessImageRendering);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    bool ok = true;
    for (qsizetype i = 0; i < pages.size() && ok; ++i) {
        if (i > 0)
            ok = writer.newPage();
        for (const SheetItem &item : pages[i].items)
            std::visit(ItemPainter{painter}, item);
    }
    return painter.end() && ok;
}

} // namespace

Result<void> writeStudySheet(const StudySheet &sheet, const QString &path)
{
    QSaveFile file(path);
    // QSaveFile says only that it could not open or write: the path and its
    // folder say why.
    if (!file.open(QIODevice::WriteOnly))
        return whyNotSaved(path, Writing::Replacing);
    CheckedDevice checked(file);
    bool painted = false;
    {
        // The writer finishes the file when it ends, before the file is committed.
        QPdfWriter writer(&checked);
        writer.setResolution(kResolution);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, kMargins,
                                         QPageLayout::Millimeter));
        writer.setTitle(sheet.title);
        writer.setCreator(QStringLiteral("Квадролаб"));
        painted = paint(writer, layOutSheet(sheet, writer));
    }
    // Flushed here, not left to commit(): commit() flushes too, but a failed
    // flush there (a full disk) does not stop it from putting the empty
    // temporary file in place of the one at the path.
    if (!painted || checked.failed() || !file.flush()) {
        file.cancelWriting();
        return whyNotSaved(path, Writing::Replacing);
    }
    if (!file.commit())
        return whyNotSaved(path, Writing::Replacing);
    return {};
}

} // namespace kvadrolab
