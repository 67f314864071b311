// SPDX-License-Identifier: GPL-3.0-or-later
// Writes a sample study sheet with every kind of block, filled as the study
// window fills one for (ln(x)/x)^3 on [1; 6], for looking at the layout:
//   QT_QPA_PLATFORM=offscreen tools/sheetsample /tmp/sample.pdf
//   pdftoppm -r 100 -png /tmp/sample.pdf /tmp/sample
// The numbers are mpmath's for this f; the picture is drawn here.

#include "sheet/studysheet.h"

#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>

#include <cmath>

using namespace kvadrolab;

namespace {

// A chart as the study window draws one: a curve on axes, on white.
QImage chart(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const double left = width * 0.08, right = width * 0.97, top = height * 0.05,
                 bottom = height * 0.88;
    painter.setPen(QPen(Qt::black, std::max(1, width / 600)));
    painter.drawLine(QPointF(left, bottom), QPointF(right, bottom));
    painter.drawLine(QPointF(left, top), QPointF(left, bottom));
    painter.setPen(QPen(QColor(0xd0, 0xd0, 0xd0), 1));
    for (int i = 1; i <= 5; ++i) {
        const double x = left + (right - left) * i / 5;
        painter.drawLine(QPointF(x, top), QPointF(x, bottom));
    }
    // (ln x / x)^3 on [1; 6], its largest value 0,0498 at x = e.
    QPainterPath curve;
    for (int i = 0; i <= 400; ++i) {
        const double x = 1 + 5.0 * i / 400;
        const double y = std::pow(std::log(x) / x, 3);
        const QPointF p(left + (right - left) * i / 400, bottom - (bottom - top) * y / 0.055);
        i == 0 ? curve.moveTo(p) : curve.lineTo(p);
    }
    painter.setPen(QPen(QColor(0xc0, 0x10, 0x10), std::max(2, width / 400)));
    painter.drawPath(curve);
    painter.setPen(Qt::black);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(std::max(10, height / 28));
    painter.setFont(font);
    for (int i = 0; i <= 5; ++i)
        painter.drawText(QRectF(left + (right - left) * i / 5 - 40, bottom + 4, 80, height * 0.1),
                         Qt::AlignHCenter | Qt::AlignTop, QString::number(1 + i));
    painter.drawText(QRectF(left + 10, top, width * 0.5, height * 0.1), Qt::AlignLeft,
                     QStringLiteral("f(x) = (ln(x)/x)³"));
    return image;
}

// A sheet with every kind of block, as the study window fills one.
StudySheet sampleSheet()
{
    StudySheet sheet;
    sheet.title = QStringLiteral("Исследование сходимости: f(x) = (ln(x)/x)^3 на [1; 6]");
    sheet.subject = QStringLiteral("f(x) = (ln(x)/x)^3, [1; 6], ε = 10⁻⁶, n = 40");
    sheet.date = QStringLiteral("10.12.2026");
    // The student's fields: a name given, the group and variant left to
    // fill in by hand.
    sheet.blocks << SheetKeyValues{{{QStringLiteral("Студент"), QStringLiteral("Иванова А. С.")},
                                    {QStringLiteral("Группа"), QString()},
                                    {QStringLiteral("Вариант"), QString()}}};
    sheet.blocks << SheetHeading{QStringLiteral("Задание")};
    sheet.blocks << SheetKeyValues{{
        {QStringLiteral("f(x)"), QStringLiteral("(ln(x)/x)^3")},
        {QStringLiteral("[a; b]"), QStringLiteral("[1; 6]")},
        {QStringLiteral("n"), QStringLiteral("40")},
        {QStringLiteral("ε"), QStringLiteral("10⁻⁶")},
        {QStringLiteral("Интеграл (доказано)"), QStringLiteral("0,1804790226002359445 ± 5·10⁻²⁰")},
        {QStringLiteral("M₂ = max |f″(x)|"), QStringLiteral("[0,7461; 0,7462] при x ≈ 1,18")},
        {QStringLiteral("M₄ = max |f⁗(x)|"),
         QStringLiteral("не доказано: f⁗ не ограничена вблизи x ≈ 1 (оценки по M₄ не приводятся)")},
    }};
    sheet.blocks << SheetParagraph{QStringLiteral(
        "Погрешность правила трапеций убывает как h²: при удвоении n она уменьшается примерно в "
        "4 раза. Оценка Рунге (I(2n) − I(n))/3 верна, когда наблюдаемый порядок близок к 2; на "
        "[1; 6] при ε = 10⁻⁶ она обещает 40 отрезков, а нужно 109, потому что порядок там "
        "около 0,38.")};
    sheet.blocks << SheetHeading{QStringLiteral("Правила при n = 40")};
    const QList<ColumnAlign> numbers{ColumnAlign::Left, ColumnAlign::Right, ColumnAlign::Right,
                                     ColumnAlign::Right, ColumnAlign::Right};
    sheet.blocks << SheetTable{
        QStringLiteral("Таблица 1. Значения и погрешности при n = 40"),
        {QStringLiteral("Правило"), QStringLiteral("I(n)"), QStringLiteral("Погрешность"),
         QStringLiteral("Оценка"), QStringLiteral("Оценка / погрешность")},
        {{QStringLiteral("Левые прямоугольники"), QStringLiteral("0,178 124 9"),
          QStringLiteral("−2,354·10⁻³"), QStringLiteral("1,24·10⁻²"), QStringLiteral("5,3")},
         {QStringLiteral("Трапеции"), QStringLiteral("0,180 473 2"), QStringLiteral("−5,801·10⁻⁶"),
          QStringLiteral("1,94·10⁻⁴"), QStringLiteral("33")},
         {QStringLiteral("Симпсон"), QStringLiteral("0,180 479 8"), QStringLiteral("7,8·10⁻⁷"),
          QStringLiteral("—"), QStringLiteral("—")}},
        numbers};
    QList<QStringList> doubling;
    const char *rows[][8] = {
        {"10", "0,180 496 888 5", "1,786 6·10⁻⁵", "—", "—", "—", "—", "нет"},
        {"20", "0,180 471 449 9", "−7,572 7·10⁻⁶", "−8,479·10⁻⁶", "1,24", "0,180 462 970", "≈ 1",
         "нет"},
        {"40", "0,180 473 221 5", "−5,801 1·10⁻⁶", "5,905·10⁻⁷", "0,38", "0,180 473 812", "−0,10",
         "нет"},
        {"80", "0,180 477 231 6", "−1,791 0·10⁻⁶", "1,337·10⁻⁶", "1,70", "0,180 478 568", "0,75",
         "да"},
        {"160", "0,180 478 551 7", "−4,709 3·10⁻⁷", "4,400·10⁻⁷", "1,93", "0,180 478 991", "0,93",
         "да"},
        {"320", "0,180 478 903 4", "−1,192 1·10⁻⁷", "1,172·10⁻⁷", "1,98", "0,180 479 021", "0,98",
         "да"},
        {"640", "0,180 478 992 7", "−2,989 6·10⁻⁸", "2,977·10⁻⁸", "2,00", "0,180 479 022", "1,00",
         "да"},
    };
    for (const auto &row : rows) {
        QStringList cells;
        for (const char *cell : row)
            cells << QString::fromUtf8(cell);
        doubling << cells;
    }
    sheet.blocks << SheetHeading{QStringLiteral("Удвоение n: метод трапеций")};
    sheet.blocks << SheetTable{
        QStringLiteral("Таблица 2. Удвоение n, оценка Рунге и уточнение по Ричардсону"),
        {QStringLiteral("n"), QStringLiteral("I(n)"), QStringLiteral("e(n) = I(n) − I"),
         QStringLiteral("Оценка Рунге (I(n) − I(n/2))/3"), QStringLiteral("Наблюдаемый порядок p"),
         QStringLiteral("Ричардсон"), QStringLiteral("Рунге / e(n)"),
         QStringLiteral("Рунге можно верить")},
        doubling,
        {ColumnAlign::Right, ColumnAlign::Right, ColumnAlign::Right, ColumnAlign::Right,
         ColumnAlign::Right, ColumnAlign::Right, ColumnAlign::Right, ColumnAlign::Left}};
    // Every rule's rows in one table: too wide for the page even at 8 pt
    // with every cell on one line, its rules' names wrap (where that took
    // more lines, it would go on in parts, each under the rule and n).
    QList<QStringList> everyRule;
    for (const char *rule : {"левые прямоугольники", "трапеции", "Симпсон", "Гаусс, 3 узла"})
        for (const auto &row : rows) {
            QStringList cells{QString::fromUtf8(rule)};
            for (const char *cell : row)
                cells << QString::fromUtf8(cell);
            cells.insert(4, QStringLiteral("3,07"));
            everyRule << cells;
        }
    sheet.blocks << SheetTable{
        QStringLiteral("Таблица 3. Удвоение n для каждого правила"),
        {QStringLiteral("Метод"), QStringLiteral("n"), QStringLiteral("I(n)"),
         QStringLiteral("e(n) = I(n) − I"), QStringLiteral("оценка / |e(n)|"),
         QStringLiteral("Оценка Рунге (I(n) − I(n/2))/3"), QStringLiteral("Наблюдаемый порядок p"),
         QStringLiteral("Ричардсон"), QStringLiteral("Рунге / e(n)"),
         QStringLiteral("Рунге можно верить")},
        everyRule,
        {ColumnAlign::Left, ColumnAlign::Right, ColumnAlign::Right, ColumnAlign::Right,
         ColumnAlign::Right, ColumnAlign::Right, ColumnAlign::Right, ColumnAlign::Right,
         ColumnAlign::Right, ColumnAlign::Left},
        2};
    sheet.blocks << SheetImage{QStringLiteral("Рис. 1. f(x) на [1; 6]"), chart(1400, 800)};
    // A second picture of another shape, under a heading of its own.
    sheet.blocks << SheetHeading{QStringLiteral("График в пропорции 4 : 3")};
    sheet.blocks << SheetImage{QStringLiteral("Рис. 2. f(x) на [1; 6], 1200 × 900 точек"),
                               chart(1200, 900)};
    return sheet;
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 2) {
        err << "usage: sheetsample FILE.pdf\n";
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    const Result<void> saved = writeStudySheet(sampleSheet(), path);
    if (!saved) {
        err << "sheetsample: " << path << " was not written (reason " << int(saved.reason())
            << ")\n";
        return 1;
    }
    return 0;
}
