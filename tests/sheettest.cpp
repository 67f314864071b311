// SPDX-License-Identifier: GPL-3.0-or-later
// The study sheet as a reader gets it: the PDF is read back with poppler's
// own tools (pdftotext, pdfimages) and its objects, not with the writer's
// code. Pages of A4, a long table going on with its header, the text as
// typed, pictures at a sensible resolution, and saves that fail without
// losing an earlier sheet.
// A sample sheet to look at is written by tools/sheetsample.

#include "sheet/studysheet.h"
#include "tests/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QPainter>
#include <QPen>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace kvadrolab;

namespace {

// The sheet's page by hand: A4 is 595.28 × 841.89 points; 12 mm margins at
// the top and the bottom leave 773.86 pt. The running header (8 pt Liberation
// Sans, whose line is 2355/2048 em = 9.20 pt) and its rule take 12.03 pt and
// 5 mm (14.17 pt) more; the page number 9.20 pt and 6 mm (17.01 pt) above
// it: the body runs from 26.21 pt to 747.65 pt, 721.44 pt.
constexpr double kBodyPoints = 721.44;
// The text width: 210 mm less 15 mm either side.
constexpr double kTextWidthPoints = 180 / 25.4 * 72;
constexpr double kLeftMarginPoints = 15 / 25.4 * 72;

// A poppler tool; the suite needs poppler-utils (scripts/common.sh).
QString popplerTool(const char *name)
{
    return QStandardPaths::findExecutable(QString::fromLatin1(name));
}

// poppler's tools are Linux programs: the Windows build's run under Wine
// writes the sheets and checks what needs no reader, and skips the rest.
#ifdef Q_OS_WIN
#define REQUIRE_POPPLER(name) QSKIP(name " (poppler-utils) reads the sheets back on Linux only")
#else
#define REQUIRE_POPPLER(name)                                                                      \
    do {                                                                                           \
        if (popplerTool(name).isEmpty())                                                           \
            QFAIL(name " (poppler-utils) is missing: scripts/test.sh installs it");                \
    } while (false)
#endif

QByteArray run(const char *tool, const QStringList &arguments)
{
    QProcess process;
    process.start(popplerTool(tool), arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QByteArray();
    return process.readAllStandardOutput();
}

// The text of each page, as pdftotext reads it in its physical layout.
QStringList pageTexts(const QString &pdf)
{
    QStringList pages = QString::fromUtf8(run("pdftotext", {"-layout", "-enc", "UTF-8", pdf, "-"}))
                            .split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

// The page objects of the file (not the /Pages tree above them).
int pageObjects(const QByteArray &pdf)
{
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![A-Za-z])"));
    int count = 0;
    for (auto it = page.globalMatch(QString::fromLatin1(pdf)); it.hasNext(); it.next())
        ++count;
    return count;
}

struct PdfImage
{
    int page = 0;
    int width = 0;
    int height = 0;
    double xPpi = 0;
    double yPpi = 0;
};

// pdfimages -list: one row per image drawn, with its page, its pixels and
// the resolution it is printed at.
QList<PdfImage> images(const QString &pdf)
{
    QList<PdfImage> found;
    bool table = false;
    for (const QString &line : QString::fromUtf8(run("pdfimages", {"-list", pdf})).split('\n')) {
        if (line.startsWith(QLatin1String("---"))) {
            table = true;
            continue;
        }
        const QStringList f = line.simplified().split(' ');
        if (!table || f.size() < 14)
            continue;
        found.append(
            {f[0].toInt(), f[3].toInt(), f[4].toInt(), f[12].toDouble(), f[13].toDouble()});
    }
    return found;
}

// A picture with lines on white, as a chart is.
QImage chart(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(QPen(QColor(0xc0, 0x10, 0x10), 3));
    painter.drawLine(0, height - 1, width - 1, 0);
    painter.drawRect(0, 0, width - 1, height - 1);
    return image;
}

// Pixels that no compression makes much smaller: a sheet with it is some
// 100 KiB whatever the fonts.
QImage noise(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    quint32 state = 12345;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            state = state * 1664525u + 1013904223u;
            image.setPixel(x, y, state >> 8);
        }
    return image;
}

// A sheet of every kind of block.
StudySheet everyBlock()
{
    StudySheet sheet;
    sheet.title = QStringLiteral("Лист");
    sheet.date = QStringLiteral("10.12.2026");
    sheet.blocks << SheetHeading{QStringLiteral("Задание")}
                 << SheetKeyValues{{{QStringLiteral("f(x)"), QStringLiteral("(ln(x)/x)^3")}}}
                 << SheetParagraph{QStringLiteral("Текст")}
                 << SheetTable{QStringLiteral("Таблица"), {QStringLiteral("n")}, {{"10"}}, {}}
                 << SheetImage{QStringLiteral("Рисунок"), noise(200, 150)};
    return sheet;
}

} // namespace

class SheetTest : public QObject
{
    Q_OBJECT

private slots:
    void longTableGoesOnWithItsHeader();
    void textIsExtractedAsTyped_data();
    void textIsExtractedAsTyped();
    void wideTableStaysOnThePage_data();
    void wideTableStaysOnThePage();
    void rightAlignedNumbersStandUnderEachOther();
    void rowTallerThanAPageIsCut();
    void picturesPrintAtTheirResolution_data();
    void picturesPrintAtTheirResolution();
    void chartsAreDrawnAsLinesAtTheTextWidth_data();
    void chartsAreDrawnAsLinesAtTheTextWidth();
    void pictureThatDoesNotFitStartsThePage_data();
    void pictureThatDoesNotFitStartsThePage();
    void failedSaveSaysWhy_data();
    void failedSaveSaysWhy();
    void readOnlyFolderKeepsTheEarlierSheet();
    void fullDiskKeepsTheEarlierSheet();

private:
    QTemporaryDir m_dir;
};

void SheetTest::longTableGoesOnWithItsHeader()
{
    StudySheet sheet;
    sheet.date = QStringLiteral("01.09.2026");
    SheetTable table;
    table.caption = QStringLiteral("Узлы");
    table.headers = QStringList{QStringLiteral("Номер узла"), QStringLiteral("Значение")};
    table.alignment = {ColumnAlign::Right, ColumnAlign::Left};
    for (int i = 1; i <= 200; ++i)
        table.rows << QStringList{QString::number(i), QStringLiteral("строка %1").arg(i)};
    sheet.blocks << table;
    const QString path = m_dir.filePath("long.pdf");
    QVERIFY(writeStudySheet(sheet, path).ok());

    // By hand: 9 pt rows of 10.35 pt and 0.6 mm above and below are 13.75 pt
    // tall; the caption takes 10.35 pt and 1 mm, the header a row. That
    // leaves room for (721.44 − 13.18 − 13.75) / 13.75 = 50.5, so 50 rows a
    // page, and 200 rows fill 4 pages.
    const QByteArray pdf = testsupport::readAll(path);
    QCOMPARE(pageObjects(pdf), 4);
    static const QRegularExpression mediaBox(
        QStringLiteral("/MediaBox\\s*\\[\\s*0\\s+0\\s+([0-9.]+)\\s+([0-9.]+)\\s*\\]"));
    int boxes = 0;
    for (auto it = mediaBox.globalMatch(QString::fromLatin1(pdf)); it.hasNext();) {
        const auto match = it.next();
        QVERIFY2(std::abs(match.captured(1).toDouble() - 595.28) < 1, qPrintable(match.captured()));
        QVERIFY2(std::abs(match.captured(2).toDouble() - 841.89) < 1, qPrintable(match.captured()));
        ++boxes;
    }
    QVERIFY(boxes >= 1);

    REQUIRE_POPPLER("pdftotext");
    const QStringList pages = pageTexts(path);
    QCOMPARE(pages.size(), 4);
    static const QRegularExpression rowNumber(QStringLiteral("^\\s*(\\d+)\\s+строка (\\d+)\\s*$"),
                                              QRegularExpression::MultilineOption);
    int expected = 1;
    for (int p = 0; p < pages.size(); ++p) {
        const QString &page = pages[p];
        QVERIFY2(page.contains(QStringLiteral("стр. %1 из 4").arg(p + 1)), qPrintable(page));
        QVERIFY(page.contains(QStringLiteral("01.09.2026")));
        // The header once on every page, above the page's first row; the
        // caption said to go on after the first.
        QCOMPARE(page.count(QStringLiteral("Номер узла")), 1);
        const qsizetype header = page.indexOf(QStringLiteral("Номер узла"));
        QVERIFY(header < page.indexOf(QStringLiteral("строка %1").arg(expected)));
        QCOMPARE(page.contains(QStringLiteral("Узлы (продолжение)")), p > 0);
        // Every row once, in order, 50 a page.
        int onPage = 0;
        for (auto it = rowNumber.globalMatch(page); it.hasNext();) {
            const auto match = it.next();
            QCOMPARE(match.captured(1).toInt(), expected);
            QCOMPARE(match.captured(2).toInt(), expected);
            ++expected;
            ++onPage;
        }
        QCOMPARE(onPage, 50);
    }
    QCOMPARE(expected, 201);
}

void SheetTest::textIsExtractedAsTyped_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("Cyrillic") << QStringLiteral("Исследование сходимости, ёмкость Щ");
    QTest::newRow("epsilon and superscript minus") << QStringLiteral("ε = 10⁻⁶");
    QTest::newRow("minus sign") << QStringLiteral("e(n) = −0,000 005 8");
    QTest::newRow("squares and fourth powers") << QStringLiteral("h² и h⁴");
    QTest::newRow("approximately") << QStringLiteral("x ≈ 2,718");
    QTest::newRow("plus-minus") << QStringLiteral("0,180 479 ± 3·10⁻¹⁹");
    QTest::newRow("primes") << QStringLiteral("f″ и f⁗");
}

void SheetTest::textIsExtractedAsTyped()
{
    REQUIRE_POPPLER("pdftotext");
    QFETCH(QString, text);
    // In each kind of block that prints text.
    StudySheet sheet;
    sheet.title = text;
    sheet.blocks << SheetHeading{text} << SheetParagraph{text} << SheetKeyValues{{{text, text}}}
                 << SheetTable{text, {text}, {{text}}, {}} << SheetImage{text, chart(300, 200)};
    const QString path = m_dir.filePath("text.pdf");
    QVERIFY(writeStudySheet(sheet, path).ok());
    const QString page = pageTexts(path).value(0);
    // Title, heading, paragraph, key and value, caption, header cell, cell,
    // picture caption (the first page's header leaves the title to the page).
    QCOMPARE(page.count(text), 9);
}

void SheetTest::wideTableStaysOnThePage_data()
{
    QTest::addColumn<int>("columns");
    QTest::addColumn<QString>("cell");
    QTest::addColumn<bool>("smaller");
    // A character of the cells found nowhere else on the page.
    QTest::addColumn<QChar>("tracer");
    QTest::newRow("narrow: 9 pt") << 3 << QStringLiteral("0,180 479") << false << QChar('4');
    QTest::newRow("wide: a smaller font")
        << 10 << QStringLiteral("0,180 478 99") << true << QChar('9');
    QTest::newRow("wider than the floor: wrapped")
        << 12 << QStringLiteral("оценка Рунге 0,180 478 992 7") << true << QChar(u'Р');
    QTest::newRow("one unbroken word wider than the page")
        << 2 << QStringLiteral("x").repeated(300) << true << QChar('x');
}

void SheetTest::wideTableStaysOnThePage()
{
    REQUIRE_POPPLER("pdftotext");
    QFETCH(int, columns);
    QFETCH(QString, cell);
    QFETCH(bool, smaller);
    QFETCH(QChar, tracer);
    SheetTable table;
    for (int c = 0; c < columns; ++c)
        table.headers << QStringLiteral("Столбец %1").arg(QChar(u'A' + c));
    for (int r = 0; r < 5; ++r)
        table.rows << QList<QString>(columns, cell);
    StudySheet sheet;
    sheet.blocks << SheetParagraph{QStringLiteral("Обычный текст")} << table;
    const QString path = m_dir.filePath("wide.pdf");
    QVERIFY(writeStudySheet(sheet, path).ok());

    // Every word inside the margins; the table's words no taller than the
    // paragraph's (10 pt), and smaller than 9 pt where the table is wide.
    const QString html = QString::fromUtf8(run("pdftotext", {"-bbox", path, "-"}));
    static const QRegularExpression word(
        QStringLiteral("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" "
                       "yMax=\"([0-9.]+)\">([^<]*)<"));
    double paragraphHeight = 0;
    double tableHeight = 0;
    int words = 0;
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        const double xMin = m.captured(1).toDouble(), xMax = m.captured(3).toDouble();
        const double height = m.captured(4).toDouble() - m.captured(2).toDouble();
        QVERIFY2(xMin >= kLeftMarginPoints - 0.5 &&
                     xMax <= kLeftMarginPoints + kTextWidthPoints + 0.5,
                 qPrintable(m.captured(0)));
        if (m.captured(5) == QStringLiteral("Обычный"))
            paragraphHeight = height;
        if (m.captured(5) == QStringLiteral("Столбец"))
            tableHeight = std::max(tableHeight, height);
        ++words;
    }
    QVERIFY(words > columns * 6);
    QVERIFY(paragraphHeight > 0 && tableHeight > 0);
    // Word boxes are about 1.15 em tall: 11.5 pt for the paragraph's 10 pt.
    const double tablePoints = 10 * tableHeight / paragraphHeight;
    if (smaller)
        QVERIFY2(tablePoints < 8.9 && tablePoints > 6.4, qPrintable(QString::number(tablePoints)));
    else
        QVERIFY2(std::abs(tablePoints - 9) < 0.1, qPrintable(QString::number(tablePoints)));
    // Nothing of any cell lost, wrapped or not: wrapping interleaves the
    // cells' lines in the text read back, so their characters are counted.
    QCOMPARE(pageTexts(path).join(QString()).count(tracer), columns * 5 * cell.count(tracer));
}

void SheetTest::rightAlignedNumbersStandUnderEachOther()
{
    REQUIRE_POPPLER("pdftotext");
    // Numbers of one length, some with "11" (a kerning pair of the font),
    // and a shorter one: right-aligned, their ends line up, and those of one
    // length start at one place too.
    const QStringList numbers{"0,0006504888", "0,0011476003", "0,0111111111", "0,0250",
                              "0,0017950364"};
    SheetTable table{QString(), {QStringLiteral("f(x)")}, {}, {ColumnAlign::Right}};
    for (const QString &number : numbers)
        table.rows << QStringList{number};
    StudySheet sheet;
    sheet.blocks << table;
    const QString path = m_dir.filePath("numbers.pdf");
    QVERIFY(writeStudySheet(sheet, path).ok());
    const QString html = QString::fromUtf8(run("pdftotext", {"-bbox", path, "-"}));
    QMap<QString, std::pair<double, double>> found;
    static const QRegularExpression word(QStringLiteral(
        "<word xMin=\"([0-9.]+)\" yMin=\"[0-9.]+\" xMax=\"([0-9.]+)\" yMax=\"[0-9.]+\">([^<]*)<"));
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        found.insert(m.captured(3), {m.captured(1).toDouble(), m.captured(2).toDouble()});
    }
    for (const QString &number : numbers) {
        QVERIFY2(found.contains(number), qPrintable(number));
        QVERIFY2(std::abs(found[number].second - found[numbers[0]].second) < 0.05,
                 qPrintable(number));
        if (number.size() == numbers[0].size())
            QVERIFY2(std::abs(found[number].first - found[numbers[0]].first) < 0.05,
                     qPrintable(number));
    }
    QVERIFY(found["0,0250"].first > found[numbers[0]].first + 10);
}

void SheetTest::rowTallerThanAPageIsCut()
{
    REQUIRE_POPPLER("pdftotext");
    QStringList lines;
    for (int i = 1; i <= 400; ++i)
        lines << QStringLiteral("строка%1").arg(i);
    SheetTable table{QStringLiteral("Высокая строка"),
                     {QStringLiteral("Текст")},
                     {{lines.join('\n')}, {QStringLiteral("следующая")}},
                     {}};
    StudySheet sheet;
    sheet.blocks << table << SheetKeyValues{{{QStringLiteral("ключ"), lines.join('\n')}}};
    const QString path = m_dir.filePath("tall.pdf");
    QVERIFY(writeStudySheet(sheet, path).ok());
    // The tall row fills its own page and is cut there; the next row starts
    // the next page under the header, and so does the value that is cut too.
    const QStringList pages = pageTexts(path);
    QCOMPARE(pages.size(), 3);
    QVERIFY(pages[0].contains(QStringLiteral("строка1\n")) ||
            pages[0].contains(QStringLiteral("строка1 ")));
    QVERIFY(!pages[0].contains(QStringLiteral("строка400")));
    QVERIFY(pages[1].contains(QStringLiteral("Текст")));
    QVERIFY(pages[1].contains(QStringLiteral("следующая")));
    QVERIFY(pages[2].contains(QStringLiteral("ключ")));
    QVERIFY(!pages[2].contains(QStringLiteral("строка400")));
}

void SheetTest::picturesPrintAtTheirResolution_data()
{
    QTest::addColumn<QSize>("pixels");
    QTest::addColumn<double>("lowestPpi");
    QTest::addColumn<double>("highestPpi");
    // Small: 150 of its pixels to the inch, never enlarged further.
    QTest::newRow("small, not enlarged") << QSize(300, 200) << 149.0 << 151.0;
    // Wide: the text width, 180 mm: 3000 px / 7.087 in = 423.3 ppi.
    QTest::newRow("wide, the text width") << QSize(3000, 1000) << 422.0 << 425.0;
    // Tall: no taller than the body: at least 4000 px / 10.02 in = 399 ppi.
    QTest::newRow("tall, within the page") << QSize(400, 4000) << 4000 / (kBodyPoints / 72) << 1e9;
}

void SheetTest::picturesPrintAtTheirResolution()
{
    QFETCH(QSize, pixels);
    QFETCH(double, lowestPpi);
    QFETCH(double, highestPpi);
    StudySheet sheet;
    sheet.blocks << SheetHeading{QStringLiteral("График")}
                 << SheetImage{QStringLiteral("Рисунок"), chart(pixels.width(), pixels.height())};
    const QString path = m_dir.filePath("picture.pdf");
    QVERIFY(writeStudySheet(sheet, path).ok());
    const QByteArray pdf = testsupport::readAll(path);
    QVERIFY(pdf.contains("/Subtype /Image"));
    // One page: however tall, a picture is made to fit it with its heading.
    QCOMPARE(pageObjects(pdf), 1);
    REQUIRE_POPPLER("pdfimages");
    const QList<PdfImage> found = images(path);
    QCOMPARE(found.size(), 1);
    // Every pixel kept: the picture is not resampled on the way.
    QCOMPARE(found[0].width, pixels.width());
    QCOMPARE(found[0].height, pixels.height());
    QVERIFY2(found[0].xPpi >= lowestPpi && found[0].xPpi <= highestPpi,
             qPrintable(QString::number(found[0].xPpi)));
    // Its aspect kept.
    QVERIFY(std::abs(found[0].xPpi - found[0].yPpi) <= 1);
}

void SheetTest::chartsAreDrawnAsLinesAtTheTextWidth_data()
{
    QTest::addColumn<double>("aspect");
    QTest::addColumn<double>("widthPoints");
    QTest::addColumn<double>("heightPoints");
    // The text's width, 510.24 pt, and height by the aspect; a chart taller
    // than the body with its heading and caption is made to fit: 721.44 pt
    // less the heading (12.5 pt Liberation Sans, 14.37 pt, 4 mm before and
    // 1.5 mm after: 29.96 pt), the caption (9 pt italic, 10.35 pt) and the
    // 2 mm gap (5.67 pt) leave 675.46 pt, and the width shrinks with it.
    QTest::newRow("wide") << 1.6 << kTextWidthPoints << kTextWidthPoints / 1.6;
    QTest::newRow("square") << 1.0 << kTextWidthPoints << kTextWidthPoints;
    QTest::newRow("taller than a page") << 0.5 << 675.46 * 0.5 << 675.46;
}

void SheetTest::chartsAreDrawnAsLinesAtTheTextWidth()
{
    QFETCH(double, aspect);
    QFETCH(double, widthPoints);
    QFETCH(double, heightPoints);
    QRectF given;
    double dpi = 0;
    int calls = 0;
    StudySheet sheet;
    sheet.blocks << SheetHeading{QStringLiteral("График")}
                 << SheetChart{QStringLiteral("Рисунок"),
                               [&](QPainter &painter, const QRectF &rect, double atDpi) {
                                   ++calls;
                                   given = rect;
                                   dpi = atDpi;
                                   painter.setPen(QPen(Qt::blue, 3));
                                   painter.drawLine(rect.topLeft(), rect.bottomRight());
                                   painter.drawText(rect, QStringLiteral("подпись графика"));
                               },
                               aspect};
    const QString path = m_dir.filePath("vector.pdf");
    QVERIFY(writeStudySheet(sheet, path).ok());
    QCOMPARE(calls, 1);
    QVERIFY(dpi > 0);
    QVERIFY2(std::abs(given.width() * 72 / dpi - widthPoints) < 2,
             qPrintable(QString::number(given.width() * 72 / dpi)));
    QVERIFY2(std::abs(given.height() * 72 / dpi - heightPoints) < 2,
             qPrintable(QString::number(given.height() * 72 / dpi)));
    const QByteArray pdf = testsupport::readAll(path);
    QCOMPARE(pageObjects(pdf), 1);
    QVERIFY(!pdf.contains("/Subtype /Image"));
    REQUIRE_POPPLER("pdfimages");
    QVERIFY(images(path).isEmpty());
    QVERIFY(pageTexts(path).join(QString()).contains(QStringLiteral("подпись графика")));
}

void SheetTest::pictureThatDoesNotFitStartsThePage_data()
{
    QTest::addColumn<int>("linesAbove");
    QTest::addColumn<int>("page");
    // 10 pt lines are 11.49 pt, and 2 mm follow the paragraph; the picture
    // (600 × 400 px at 150 ppi) is 288 × 192 pt, with its caption 208 pt,
    // its heading 30 pt more. 5 lines leave some 658 pt; 54 lines 95 pt,
    // where the heading alone would fit; 60 lines 26 pt.
    QTest::newRow("fits under 5 lines") << 5 << 1;
    QTest::newRow("not under 54 lines, nor its heading") << 54 << 2;
    QTest::newRow("not under 60 lines") << 60 << 2;
}

void SheetTest::pictureThatDoesNotFitStartsThePage()
{
    REQUIRE_POPPLER("pdfimages");
    QFETCH(int, linesAbove);
    QFETCH(int, page);
    QStringList lines;
    for (int i = 0; i < linesAbove; ++i)
        lines << QStringLiteral("Строка %1").arg(i + 1);
    StudySheet sheet;
    sheet.blocks << SheetParagraph{lines.join('\n')} << SheetHeading{QStringLiteral("Погрешности")}
                 << SheetImage{QStringLiteral("Рисунок"), chart(600, 400)};
    const QString path = m_dir.filePath("moved.pdf");
    QVERIFY(writeStudySheet(sheet, path).ok());
    const QList<PdfImage> found = images(path);
    QCOMPARE(found.size(), 1);
    QCOMPARE(found[0].page, page);
    // Not made smaller to fit: 150 ppi.
    QVERIFY(std::abs(found[0].xPpi - 150) < 1);
    const QStringList pages = pageTexts(path);
    QCOMPARE(pages.size(), page);
    // The heading and the caption go with their picture.
    QVERIFY(pages.last().contains(QStringLiteral("Погрешности")));
    QVERIFY(pages.last().contains(QStringLiteral("Рисунок")));
}

void SheetTest::failedSaveSaysWhy_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("inFolder"); // the path is relative to a fresh folder
    QTest::addColumn<Reason>("reason");
    QTest::newRow("missing folder")
        << QStringLiteral("нет такой папки/лист.pdf") << true << Reason::MissingFolder;
    QTest::newRow("a folder") << QStringLiteral(".") << true << Reason::IsAFolder;
    QTest::newRow("empty path") << QString() << false << Reason::MissingFolder;
}

void SheetTest::failedSaveSaysWhy()
{
    QFETCH(QString, path);
    QFETCH(bool, inFolder);
    QFETCH(Reason, reason);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString target = inFolder ? dir.filePath(path) : path;
    const auto saved = writeStudySheet(everyBlock(), target);
    QVERIFY(!saved.ok());
    QCOMPARE(saved.reason(), reason);
    QCOMPARE(saved.refusal().input, Input::Path);
    // Nothing left behind: no sheet, no temporary file.
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList());
}

void SheetTest::readOnlyFolderKeepsTheEarlierSheet()
{
    SKIP_UNLESS_PERMISSIONS_BIND();
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("лист.pdf");
    StudySheet earlier;
    earlier.title = QStringLiteral("Прежний лист");
    QVERIFY(writeStudySheet(earlier, path).ok());
    const QByteArray before = testsupport::readAll(path);
    {
        testsupport::ReadOnlyFolder readOnly(dir.path());
        QVERIFY(readOnly.ok());
        const auto saved = writeStudySheet(everyBlock(), path);
        QVERIFY(!saved.ok());
        QCOMPARE(saved.reason(), Reason::NoPermission);
    }
    QCOMPARE(testsupport::readAll(path), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{QStringLiteral("лист.pdf")});
}

void SheetTest::fullDiskKeepsTheEarlierSheet()
{
    // A real full disk: a tiny file system of the test's own, which
    // tests/smallfs.sh mounts in a private namespace. It is too small for a
    // sheet with its fonts: any earlier file stands for the earlier sheet.
    const QString fs = qEnvironmentVariable("KVADROLAB_SMALL_FS");
    if (fs.isEmpty())
        QSKIP("needs a small file system of its own (run through tests/smallfs.sh)");
    const QString path = fs + "/лист.pdf";
    QVERIFY(testsupport::writeFile(path, QByteArray("%PDF-1.4 earlier sheet\n")));
    const QByteArray before = testsupport::readAll(path);
    const auto saved = writeStudySheet(everyBlock(), path);
    QVERIFY(!saved.ok());
    QCOMPARE(saved.reason(), Reason::WriteFailed);
    QCOMPARE(testsupport::readAll(path), before);
    QCOMPARE(QDir(fs).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{QStringLiteral("лист.pdf")});
}

QTEST_MAIN(SheetTest)
#include "sheettest.moc"
