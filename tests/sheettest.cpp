// SPDX-License-Identifier: GPL-3.0-or-later
// The study sheet as a reader gets it: the PDF is read back with poppler's
// own tools (pdftotext, pdfimages) and its objects, not with the writer's
// code. Pages of A4, a long table going on with its header, the text as
// typed, pictures at a sensible resolution, and saves that fail without
// losing an earlier sheet.
// A sample sheet to look at is written by tools/sheetsample.

#include "sheet/sheetlayout.h"
#include "sheet/studysheet.h"
#include "tests/testsupport.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
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

// The sheet laid out as the writer lays it out, on its page stated here
// again: A4, 15 mm left and right, 12 mm top and bottom, 720 dpi.
QList<SheetPage> laidOut(const StudySheet &sheet)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(720);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(15, 12, 15, 12), QPageLayout::Millimeter));
    return layOutSheet(sheet, writer);
}

QList<SheetTextItem> texts(const QList<SheetPage> &pages)
{
    QList<SheetTextItem> found;
    for (const SheetPage &page : pages)
        for (const SheetItem &item : page.items)
            if (const auto *text = std::get_if<SheetTextItem>(&item))
                found.append(*text);
    return found;
}

// The doubling table's headers as the study window gives them.
const QStringList kDoublingHeaders{QStringLiteral("Метод"),
                                   QStringLiteral("n"),
                                   QStringLiteral("I(n)"),
                                   QStringLiteral("e(n) = I(n) − I"),
                                   QStringLiteral("Оценка Рунге (I(n) − I(n/2))/3"),
                                   QStringLiteral("порядок"),
                                   QStringLiteral("по Ричардсону"),
                                   QStringLiteral("оценка / |e(n)|"),
                                   QStringLiteral("можно ли верить оценке Рунге")};

// A table of `columns` columns, the doubling table's headers first, of
// rows of `cell`.
SheetTable doublingLike(int columns, const QString &cell, int rows = 6)
{
    SheetTable table;
    table.caption = QStringLiteral("Сходимость при удвоении n");
    for (int c = 0; c < columns; ++c)
        table.headers << (c < kDoublingHeaders.size() ? kDoublingHeaders[c]
                                                      : QStringLiteral("Столбец %1").arg(c + 1));
    for (int r = 0; r < rows; ++r) {
        QStringList row{QStringLiteral("метод левых прямоугольников")};
        for (int c = 1; c < columns; ++c)
            row << cell;
        table.rows << row;
    }
    return table;
}

// A page rendered in grey by pdftoppm at 20 dpi: how far down its body the
// lowest ink goes, from 0 (nothing) to 1 (the body's end). The body, by
// hand (kBodyPoints): from 12 mm + 26.21 pt to 12 mm + 747.65 pt.
QList<double> filledParts(const QString &pdf, const QString &prefix)
{
    run("pdftoppm", {"-r", "20", "-gray", pdf, prefix});
    QList<double> parts;
    const double top = (12 / 25.4 * 72 + 26.21) * 20 / 72;
    const double bottom = (12 / 25.4 * 72 + 747.65) * 20 / 72;
    for (int page = 1;; ++page) {
        // pdftoppm numbers its files with as many digits as the last page's number.
        QImage image(prefix + QStringLiteral("-%1.pgm").arg(page));
        if (image.isNull())
            image.load(prefix + QStringLiteral("-%1.pgm").arg(page, 2, 10, QLatin1Char('0')));
        if (image.isNull())
            break;
        double lowest = top;
        for (int y = int(std::ceil(top)); y < int(bottom); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qGray(image.pixel(x, y)) < 200)
                    lowest = y + 1;
        parts.append((lowest - top) / (bottom - top));
    }
    return parts;
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
    void longValueGoesOnWhole();
    void picturesPrintAtTheirResolution_data();
    void picturesPrintAtTheirResolution();
    void chartsAreDrawnAsLinesAtTheTextWidth_data();
    void chartsAreDrawnAsLinesAtTheTextWidth();
    void pictureThatDoesNotFitStartsThePage_data();
    void pictureThatDoesNotFitStartsThePage();
    void noTextBelowEightPoints_data();
    void noTextBelowEightPoints();
    void headerCellsWrapBetweenWords_data();
    void headerCellsWrapBetweenWords();
    void wordsWrapNumbersDoNot();
    void emptyValueIsALineToWriteOn();
    void everyPageNamesTheSubject();
    void noPageLeftMostlyBlank_data();
    void noPageLeftMostlyBlank();
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
    QTest::addColumn<double>("points");
    QTest::addColumn<bool>("inParts");
    QTest::addColumn<bool>("numbers"); // the columns after the first, right-aligned
    // A character of the cells found nowhere else on the page.
    QTest::addColumn<QChar>("tracer");
    // By hand, in Liberation Sans (digits 0.556 em, comma and space 0.278):
    // "0,180 478 99" is 5.838 em; with 3 mm of padding a column is 61.1 pt
    // at 9 pt, 58.2 at 8.5 and 55.3 at 8; the text is 510.2 pt wide. 8 such
    // columns fit at 9 pt (489), 9 only at 8 pt (550, 524, 498), 10 not at
    // all (553 at 8 pt): the last column goes on in a second part.
    const bool number = true;
    const bool text = false;
    QTest::newRow("narrow: 9 pt") << 3 << QStringLiteral("0,180 479") << 9.0 << false << number
                                  << QChar('4');
    QTest::newRow("9 columns: 8 pt")
        << 9 << QStringLiteral("0,180 478 99") << 8.0 << false << number << QChar('9');
    QTest::newRow("10 columns: in parts at 8 pt")
        << 10 << QStringLiteral("0,180 478 99") << 8.0 << true << number << QChar('9');
    QTest::newRow("wider: in parts at 8 pt")
        << 12 << QStringLiteral("−0,180 478 992 7·10⁻³") << 8.0 << true << number << QChar('9');
    // Text wraps between its words where that takes no more lines than
    // parts would: "средних прямоугольников" on two lines (its longer word
    // some 68 pt in 9 pt), where on one line 6 columns would be some 530 pt
    // at 8 pt, in two parts of 5 rows each.
    QTest::newRow("text on two lines: wrapped at 9 pt")
        << 6 << QStringLiteral("средних прямоугольников") << 9.0 << false << text << QChar(u'п');
    // Four words wrapped in columns as narrow as their headers take three
    // lines or more: more than a second part costs.
    QTest::newRow("text on four lines: in parts at 8 pt")
        << 8 << QStringLiteral("оценка Рунге можно верить") << 8.0 << true << text << QChar(u'Р');
    QTest::newRow("one unbroken word wider than the page: wrapped at 8 pt")
        << 2 << QStringLiteral("x").repeated(300) << 8.0 << false << text << QChar('x');
}

void SheetTest::wideTableStaysOnThePage()
{
    REQUIRE_POPPLER("pdftotext");
    QFETCH(int, columns);
    QFETCH(QString, cell);
    QFETCH(double, points);
    QFETCH(bool, inParts);
    QFETCH(bool, numbers);
    QFETCH(QChar, tracer);
    // The first column names the rows, the others hold the cell.
    SheetTable table;
    table.caption = QStringLiteral("Широкая таблица");
    table.alignment = QList<ColumnAlign>(columns, numbers ? ColumnAlign::Right : ColumnAlign::Left);
    table.alignment[0] = ColumnAlign::Left;
    for (int c = 0; c < columns; ++c)
        table.headers << QStringLiteral("Столбец %1").arg(QChar(u'A' + c));
    for (int r = 0; r < 5; ++r) {
        QStringList row{QStringLiteral("строка%1").arg(QChar(u'a' + r))};
        for (int c = 1; c < columns; ++c)
            row << cell;
        table.rows << row;
    }
    StudySheet sheet;
    sheet.blocks << SheetParagraph{QStringLiteral("Обычный текст")} << table;
    const QString path = m_dir.filePath("wide.pdf");
    QVERIFY(writeStudySheet(sheet, path).ok());

    // Every word inside the margins; the table's words no taller than the
    // paragraph's (10 pt), and set at the size worked out by hand.
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
    QVERIFY2(std::abs(tablePoints - points) < 0.1, qPrintable(QString::number(tablePoints)));
    // Nothing of any cell lost, wrapped or not: wrapping interleaves the
    // cells' lines in the text read back, so their characters are counted.
    const QString text = pageTexts(path).join(QString());
    QCOMPARE(text.count(tracer), (columns - 1) * 5 * cell.count(tracer));
    // In parts, each says so and has the rows' names again.
    const qsizetype parts = text.count(QStringLiteral("Широкая таблица (часть "));
    QCOMPARE(parts > 1, inParts);
    for (int r = 0; r < 5; ++r)
        QCOMPARE(text.count(QStringLiteral("строка%1").arg(QChar(u'a' + r))),
                 std::max<qsizetype>(parts, 1));
    if (inParts)
        QVERIFY(text.contains(QStringLiteral("(часть %1 из %1)").arg(parts)));
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
    sheet.blocks << table;
    const QString path = m_dir.filePath("tall.pdf");
    QVERIFY(writeStudySheet(sheet, path).ok());
    // The tall row fills its own page and is cut there; the next row starts
    // the next page under the header.
    const QStringList pages = pageTexts(path);
    QCOMPARE(pages.size(), 2);
    QVERIFY(pages[0].contains(QStringLiteral("строка1\n")) ||
            pages[0].contains(QStringLiteral("строка1 ")));
    QVERIFY(!pages[0].contains(QStringLiteral("строка400")));
    QVERIFY(pages[1].contains(QStringLiteral("Текст")));
    QVERIFY(pages[1].contains(QStringLiteral("следующая")));
}

void SheetTest::longValueGoesOnWhole()
{
    REQUIRE_POPPLER("pdftotext");
    // f of ten thousand characters in the task, as typed: it is not cut.
    const QString f = QStringLiteral("sin(x)+").repeated(1430) + QStringLiteral("x");
    StudySheet sheet;
    sheet.blocks << SheetHeading{QStringLiteral("Задание")}
                 << SheetKeyValues{{{QStringLiteral("f(x)"), f},
                                    {QStringLiteral("отрезок"), QStringLiteral("от 0 до 1")}}};
    const QString path = m_dir.filePath("long value.pdf");
    QVERIFY(writeStudySheet(sheet, path).ok());
    const QStringList pages = pageTexts(path);
    // By hand: "sin(x)+" is 3.251 em in bold Liberation Sans (s 0.556,
    // i 0.278, n 0.611, parentheses 0.333, x 0.556, + 0.584), 32.5 pt at
    // 10 pt: 1430 of them are 46 500 pt of text on lines under 510 pt, over
    // 90 lines, more than the 62 of 11.49 pt a page holds.
    QVERIFY(pages.size() >= 2);
    QString all = pages.join(QString());
    all.remove(QRegularExpression(QStringLiteral("\\s")));
    QCOMPARE(all.count(QStringLiteral("sin(x)")), 1430);
    QVERIFY(all.contains(QStringLiteral("sin(x)+xотрезок")));
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

void SheetTest::noTextBelowEightPoints_data()
{
    QTest::addColumn<int>("columns");
    QTest::addColumn<QString>("cell");
    QTest::newRow("the doubling table of every rule") << 9 << QStringLiteral("−2,354 688 1·10⁻³");
    QTest::newRow("twenty columns") << 20 << QStringLiteral("0,180 478 992 7");
    QTest::newRow("a cell wider than the page") << 3 << QStringLiteral("x").repeated(400);
}

void SheetTest::noTextBelowEightPoints()
{
    QFETCH(int, columns);
    QFETCH(QString, cell);
    StudySheet sheet;
    sheet.title = QStringLiteral("Исследование сходимости");
    sheet.subject = QStringLiteral("f(x) = x*sin(x), [0; pi]");
    sheet.date = QStringLiteral("11.12.2026");
    sheet.blocks << SheetHeading{QStringLiteral("Сходимость")} << doublingLike(columns, cell)
                 << SheetImage{QStringLiteral("Рисунок"), chart(300, 200)};
    const QList<SheetTextItem> items = texts(laidOut(sheet));
    QVERIFY(items.size() > columns * 6);
    for (const SheetTextItem &item : items)
        QVERIFY2(item.font.pointSizeF() >= 8, qPrintable(item.text));
    // The table's own text is among those checked: its header "n" is set
    // smaller than the paragraphs' 10 pt.
    QVERIFY(std::any_of(items.begin(), items.end(), [&](const SheetTextItem &item) {
        return item.text == QStringLiteral("n") && item.font.pointSizeF() < 10;
    }));
}

void SheetTest::headerCellsWrapBetweenWords_data()
{
    QTest::addColumn<int>("columns");
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QStringList>("whole");
    // Narrow numbers: the headers set the widths, and each formula fits
    // its column whole.
    QTest::newRow("narrow cells") << 9 << QStringLiteral("1,0")
                                  << QStringList{QStringLiteral("e(n) = I(n) − I"),
                                                 QStringLiteral("(I(n) − I(n/2))/3"),
                                                 QStringLiteral("оценка / |e(n)|")};
    // Wide numbers: the columns go on in parts, their headers still broken
    // only between words.
    QTest::newRow("wide cells") << 9 << QStringLiteral("−2,354 688 1·10⁻³")
                                << QStringList{QStringLiteral("|e(n)|"), QStringLiteral("e(n)")};
}

void SheetTest::headerCellsWrapBetweenWords()
{
    QFETCH(int, columns);
    QFETCH(QString, cell);
    QFETCH(QStringList, whole);
    StudySheet sheet;
    sheet.blocks << doublingLike(columns, cell);
    // The header's lines are the table's bold text.
    QStringList lines;
    for (const SheetTextItem &item : texts(laidOut(sheet)))
        if (item.font.bold())
            lines << item.text;
    QStringList words;
    for (const QString &header : kDoublingHeaders)
        words << header.split(QLatin1Char(' '));
    // Wrapped: more lines than headers.
    QVERIFY2(lines.size() > columns, qPrintable(lines.join(" | ")));
    for (const QString &line : lines)
        for (const QString &word : line.split(QLatin1Char(' ')))
            QVERIFY2(words.contains(word), qPrintable(line));
    for (const QString &formula : whole)
        QVERIFY2(std::any_of(lines.begin(), lines.end(),
                             [&](const QString &line) { return line.contains(formula); }),
                 qPrintable(formula + QStringLiteral(" in ") + lines.join(" | ")));
}

void SheetTest::wordsWrapNumbersDoNot()
{
    // Six columns of numbers of 15 characters (7.23 em: 65 pt in 9 pt, 58 pt
    // in 8 pt, each with 8.5 pt of padding) beside a method's name leave no
    // room at 8 pt for a refusal of 38 characters (some 150 pt) on one line
    // in a column of numbers: it wraps between its words, on three lines at
    // 9 pt, fewer than a second part of 5 rows would take; the numbers stay
    // whole.
    const QString number = QStringLiteral("0,180 478 992 7");
    const QString refusal = QStringLiteral("не берёт n = 4: n должно делиться на 3");
    SheetTable table;
    table.headers << QStringLiteral("Метод");
    table.alignment << ColumnAlign::Left;
    for (int c = 1; c <= 6; ++c) {
        table.headers << QStringLiteral("I%1").arg(c);
        table.alignment << ColumnAlign::Right;
    }
    for (int r = 0; r < 4; ++r)
        table.rows << (QStringList{QStringLiteral("Симпсон")} + QStringList(6, number));
    table.rows << (QStringList{QStringLiteral("Буль"), refusal} + QStringList(5, number));
    StudySheet sheet;
    sheet.blocks << table;
    int numbers = 0;
    QStringList refusalLines;
    for (const SheetTextItem &item : texts(laidOut(sheet))) {
        QVERIFY2(item.font.pointSizeF() >= 8, qPrintable(item.text));
        if (item.text.contains(QLatin1Char(',')) && item.text.contains(QLatin1Char('7'))) {
            QCOMPARE(item.text, number);
            ++numbers;
        }
        if (refusal.contains(item.text) && !item.text.isEmpty() && !item.font.bold())
            refusalLines << item.text;
    }
    // Every number whole, once: not in parts.
    QCOMPARE(numbers, 4 * 6 + 5);
    QVERIFY2(refusalLines.size() >= 2, qPrintable(refusalLines.join(" | ")));
    QCOMPARE(refusalLines.join(QLatin1Char(' ')), refusal);
}

void SheetTest::emptyValueIsALineToWriteOn()
{
    StudySheet sheet;
    sheet.blocks << SheetKeyValues{{{QStringLiteral("Студент"), QStringLiteral("Иванова А. С.")},
                                    {QStringLiteral("Группа"), QString()},
                                    {QStringLiteral("Вариант"), QString()}}};
    const QList<SheetPage> pages = laidOut(sheet);
    QCOMPARE(pages.size(), 1);
    // A rule on the line of each empty value, right of its name; none on
    // the line of the name filled in.
    const auto ruleBeside = [&](const QString &key) {
        QRectF at;
        for (const SheetItem &item : pages[0].items)
            if (const auto *text = std::get_if<SheetTextItem>(&item); text && text->text == key)
                at = text->rect;
        int rules = 0;
        for (const SheetItem &item : pages[0].items)
            if (const auto *rule = std::get_if<SheetRuleItem>(&item))
                if (rule->line.y1() == rule->line.y2() && rule->line.y1() > at.top() &&
                    rule->line.y1() <= at.bottom() &&
                    std::min(rule->line.x1(), rule->line.x2()) > at.left() + at.width() * 0.9)
                    ++rules;
        return rules;
    };
    QCOMPARE(ruleBeside(QStringLiteral("Студент")), 0);
    QCOMPARE(ruleBeside(QStringLiteral("Группа")), 1);
    QCOMPARE(ruleBeside(QStringLiteral("Вариант")), 1);
    // The name filled in is printed.
    QVERIFY(std::any_of(pages[0].items.begin(), pages[0].items.end(), [](const SheetItem &item) {
        const auto *text = std::get_if<SheetTextItem>(&item);
        return text && text->text == QStringLiteral("Иванова А. С.");
    }));
}

void SheetTest::everyPageNamesTheSubject()
{
    REQUIRE_POPPLER("pdftotext");
    StudySheet sheet;
    sheet.title = QStringLiteral("Исследование сходимости");
    sheet.subject = QStringLiteral("f(x) = x*sin(x), [0; pi], ε = 10⁻⁶, n = 64");
    sheet.date = QStringLiteral("11.12.2026");
    sheet.blocks << doublingLike(4, QStringLiteral("0,180 478"), 150);
    const QString path = m_dir.filePath("subject.pdf");
    QVERIFY(writeStudySheet(sheet, path).ok());
    const QStringList pages = pageTexts(path);
    QVERIFY(pages.size() >= 3);
    for (int p = 0; p < pages.size(); ++p) {
        QVERIFY2(pages[p].contains(sheet.subject), qPrintable(pages[p]));
        QVERIFY(pages[p].contains(sheet.date));
        QVERIFY(pages[p].contains(QStringLiteral("стр. %1 из %2").arg(p + 1).arg(pages.size())));
    }
    // The title once, in full on the first page.
    QCOMPARE(pages.join(QString()).count(sheet.title), 1);
}

void SheetTest::noPageLeftMostlyBlank_data()
{
    QTest::addColumn<int>("linesAbove");
    QTest::addColumn<QSize>("pixels");
    // A picture of 1000 × 1400 px is made as tall as the page allows, some
    // 690 pt of the body's 721; 10 pt lines are 11.49 pt. Under 18 lines
    // (29 % of the page) it would leave the page mostly blank: it is made
    // smaller to fit the rest of it. Under 30 lines (48 %) it goes on.
    QTest::newRow("tall picture under 10 lines") << 10 << QSize(1000, 1400);
    QTest::newRow("tall picture under 18 lines") << 18 << QSize(1000, 1400);
    QTest::newRow("tall picture under 30 lines") << 30 << QSize(1000, 1400);
    // Three wide charts as the study window's, after a page and a half.
    QTest::newRow("wide pictures under 90 lines") << 90 << QSize(1400, 800);
}

void SheetTest::noPageLeftMostlyBlank()
{
    REQUIRE_POPPLER("pdftoppm");
    QFETCH(int, linesAbove);
    QFETCH(QSize, pixels);
    QStringList lines;
    for (int i = 0; i < linesAbove; ++i)
        lines << QStringLiteral("Строка %1").arg(i + 1);
    QImage picture(pixels, QImage::Format_RGB32);
    picture.fill(QColor(0x30, 0x50, 0x90));
    StudySheet sheet;
    sheet.blocks << SheetParagraph{lines.join('\n')};
    for (int i = 0; i < 3; ++i)
        sheet.blocks << SheetImage{QStringLiteral("Рисунок %1").arg(i + 1), picture};
    const QString path = m_dir.filePath("filled.pdf");
    QVERIFY(writeStudySheet(sheet, path).ok());
    const QList<double> filled = filledParts(path, m_dir.filePath("filled"));
    QVERIFY(filled.size() >= 2);
    for (qsizetype p = 0; p + 1 < filled.size(); ++p)
        QVERIFY2(filled[p] >= 0.3,
                 qPrintable(QStringLiteral("page %1: %2").arg(p + 1).arg(filled[p])));
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
