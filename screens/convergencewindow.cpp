// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/convergencewindow.h"

#include "canvas/canvasmenu.h"
#include "canvas/plotcanvas.h"
#include "core/integrand.h"
#include "forms/notifier.h"
#include "forms/readonlytable.h"
#include "numbers/numbertext.h"
#include "proof/decimal.h"
#include "screens/chartmessages.h"
#include "screens/convergencecharts.h"
#include "screens/intervalends.h"
#include "screens/numberfields.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>

#include <cmath>

namespace kvadrolab {

namespace {

// The exact value's point size, a step above the window's 8.25 pt text.
constexpr double kExactPoints = 9.75;
// Decimals of the exact value as shown. A difference below half a unit of the
// last one does not show in them (the caption says "до 12 знаков").
constexpr int kExactDecimals = 12;
constexpr double kUnseenDifference = 5e-13;
// The n column of the convergence table: room for "640" and no more.
constexpr int kCountColumnWidth = 40;
// Both tables' rows: a line of the window's font with room above and below.
constexpr int kRowPadding = 4;
// The count table's rows: by the bound, by Runge, by the actual error.
constexpr int kCountWays = 3;

// Laid out to fit a classroom projector's 1000 x 720 screen: the inputs and
// the constants of the study on top, the table across the window, the two
// pictures and the counts for the tolerance below.
const Control kControls[] = {
    {"Frame1", Kind::Frame, nullptr, 120, 120, 4560, 1560, "Исходные данные"},
    {"Label1", Kind::Label, "Frame1", 240, 390, 375, 255, "a ="},
    {"Text1", Kind::Field, "Frame1", 600, 330, 975, 375, "1"},
    {"Label2", Kind::Label, "Frame1", 1800, 390, 375, 255, "b ="},
    {"Text2", Kind::Field, "Frame1", 2160, 330, 975, 375, "6"},
    {"Label3", Kind::Label, "Frame1", 240, 870, 375, 255, "ε ="},
    {"Text3", Kind::Field, "Frame1", 600, 810, 1215, 375, "0,000001"},
    {"Label4", Kind::Label, "Frame1", 2040, 870, 1215, 255, "n рисунка ="},
    {"Text4", Kind::Field, "Frame1", 3240, 810, 615, 375, "4"},
    {"Label5", Kind::Label, "Frame1", 240, 1245, 4200, 255, "n рисунка — чётное число от 2 до 50"},

    {"Frame2", Kind::Frame, nullptr, 4800, 120, 4560, 1560, "Точное значение интеграла"},
    {"Picture1", Kind::Canvas, "Frame2", 120, 300, 2535, 435, "", kExactPoints},
    {"Label6", Kind::Label, "Frame2", 2760, 390, 1680, 255, "доказанное значение"},
    {"Label7", Kind::Label, "Frame2", 120, 840, 4320, 255,
     "Окна решения сравнивают с постоянным 0,1804790225:"},
    {"Picture2", Kind::Canvas, "Frame2", 120, 1095, 4320, 330},

    {"Frame3", Kind::Frame, nullptr, 9480, 120, 5280, 1560, "Наибольшие производные на [a;b]"},
    {"Label8", Kind::Label, "Frame3", 120, 390, 1575, 255, "M2 = max |f''(x)| ="},
    {"Picture3", Kind::Canvas, "Frame3", 1680, 330, 3480, 375},
    {"Label9", Kind::Label, "Frame3", 120, 810, 1575, 255, "M4 = max |f^IV(x)| ="},
    {"Picture4", Kind::Canvas, "Frame3", 1680, 750, 3480, 375},
    {"Label10", Kind::Label, "Frame3", 120, 1215, 5040, 255,
     "Окна оценок погрешности берут постоянные 0.244 и 105."},

    {"Frame4", Kind::Frame, nullptr, 120, 1800, 14640, 2610, "Сходимость при удвоении n"},
    {"Table1", Kind::Table, "Frame4", 120, 240, 14400, 2250,
     "n\tТрапеции\nI(n)\tТрапеции\ne(n) = I(n) − I\tТрапеции\nоценка Рунге\tТрапеции\n"
     "порядок\tТрапеции\nпо Ричардсону\tСимпсон\nI(n)\tСимпсон\ne(n) = I(n) − I\tСимпсон\n"
     "оценка Рунге\tСимпсон\nпорядок\tСимпсон\nпо Ричардсону"},

    {"Frame5", Kind::Frame, nullptr, 120, 4530, 8280, 5430,
     "Погрешность |e(n)| и априорные оценки (логарифмические шкалы)"},
    {"Picture5", Kind::Canvas, "Frame5", 120, 240, 8040, 4470, "", 0, White},
    {"Line1", Kind::Line, "Frame5", 120, 4860, 480, 4860, "", 0, Thick2 | Red},
    {"Label11", Kind::Label, "Frame5", 540, 4740, 1095, 255, "трапеции"},
    {"Line2", Kind::Line, "Frame5", 1680, 4860, 2040, 4860, "", 0, Thick2},
    {"Label12", Kind::Label, "Frame5", 2100, 4740, 1095, 255, "Симпсон"},
    {"Line3", Kind::Line, "Frame5", 3240, 4860, 3600, 4860, "", 0, Thick2 | Red | Light},
    {"Label13", Kind::Label, "Frame5", 3660, 4740, 1815, 255, "оценка трапеций"},
    {"Line4", Kind::Line, "Frame5", 5520, 4860, 5880, 4860, "", 0, Thick2 | Light},
    {"Label14", Kind::Label, "Frame5", 5940, 4740, 1815, 255, "оценка Симпсона"},
    {"Label15", Kind::Label, "Frame5", 120, 5070, 8040, 255,
     "Оценки (b − a)·h²·M2/12 и (b − a)·h⁴·M4/180 при h = (b − a)/n у обоих методов"},

    {"Frame6", Kind::Frame, nullptr, 8520, 4530, 6240, 3450, "Правила на графике f (синяя линия)"},
    {"Picture6", Kind::Canvas, "Frame6", 120, 240, 6000, 2850, "", 0, White},
    {"Line5", Kind::Line, "Frame6", 120, 3240, 480, 3240, "", 0, Thick2 | Red},
    {"Label16", Kind::Label, "Frame6", 540, 3120, 2295, 255, "трапеции: хорды и узлы"},
    {"Line6", Kind::Line, "Frame6", 3000, 3240, 3360, 3240, "", 0, Thick2},
    {"Label17", Kind::Label, "Frame6", 3420, 3120, 2655, 255, "Симпсон: параболы"},

    {"Frame7", Kind::Frame, nullptr, 8520, 8100, 6240, 1860, "n для ε"},
    {"Table2", Kind::Table, "Frame7", 120, 240, 6000, 1500, "Трапеции\tСимпсон"},

    {"Command1", Kind::Button, nullptr, 11640, 10080, 1455, 495, "Исследовать"},
    {"toMain", Kind::Button, nullptr, 13320, 10080, 1335, 495, "На главную"},
};

constexpr int kClientWidth = 14880;
constexpr int kClientHeight = 10680;

const char *const kResultAreas[] = {"Picture1", "Picture2", "Picture3", "Picture4"};
const char *const kCharts[] = {"Picture5", "Picture6"};

// The one place this window's refusals become words; the field they send the
// user to is the refusal's input.
QString explain(const Refusal &why)
{
    const Input input = why.input.value_or(Input::A);
    switch (why.reason) {
    case Reason::NotANumber:
    case Reason::NonFiniteInput:
        if (input == Input::Tolerance)
            return QStringLiteral("В поле ε (допустимая погрешность) должно быть число больше 0, "
                                  "например 0,000001.");
        if (input == Input::Count)
            return QStringLiteral("В поле n (разбиений на рисунке) должно быть целое чётное "
                                  "число от 2 до 50, например 4.");
        return endNotANumberText(input);
    case Reason::NodeNotPositive:
        return nodeNotPositiveText(input);
    case Reason::EmptyInterval:
        return QStringLiteral("Значения a и b совпадают: на отрезке нулевой длины нечего "
                              "исследовать. Возьмите b, не равное a, например a = 1 и b = 6.");
    case Reason::ToleranceNotPositive:
        return QStringLiteral("Допустимая погрешность ε должна быть больше 0, например 0,000001.");
    case Reason::NotWhole:
    case Reason::CountOutOfRange:
        return QStringLiteral("Число разбиений n на рисунке должно быть целым числом от 2 до 50.");
    case Reason::OddCount:
        return QStringLiteral("Для метода Симпсона число разбиений n должно быть чётным, "
                              "например 4.");
    case Reason::BeyondSinglePrecision:
        return QStringLiteral("Отрезок слишком велик, чтобы его изобразить. Возьмите %1 ближе "
                              "к другому концу отрезка.")
            .arg(endName(input));
    case Reason::NotProven:
    case Reason::WorkLimit:
        return QStringLiteral("На этом отрезке интеграл и M2, M4 не удалось доказать в пределах "
                              "вычислений. Возьмите %1 дальше от 0.")
            .arg(endName(input));
    default:
        break;
    }
    // Near x = 0 f and its derivatives grow past every number the program holds.
    return QStringLiteral("С таким значением %1 сходимость не исследовать: числа выходят за "
                          "допустимые пределы. Возьмите %1 дальше от 0.")
        .arg(endName(input));
}

// A proven bound to ten significant digits, rounded the way that keeps it
// a bound, with the locale's decimal separator.
QString provenDigits(double v, Rounding rounding)
{
    QString text = QString::fromStdString(decimalText(v, 10, rounding));
    return text.replace(QLatin1Char('.'), QLocale().decimalPoint());
}

// The certain digits of a proven value, as this window writes numbers:
// the locale's separator, powers of ten as "·10^".
QString provenDigitsShown(double lower, double upper)
{
    QString text = QString::fromStdString(provenDigitsText(lower, upper, 12));
    text.replace(QLatin1Char('.'), QLocale().decimalPoint());
    static const QRegularExpression power(QStringLiteral("e\\+?(-?)0*(\\d+)$"));
    return text.replace(power, QStringLiteral("·10^\\1\\2"));
}

QString error(double v)
{
    return formatScientific(v, 5);
}

// "n для ε" by the bound: the count, or past the core's limit that it lies
// beyond, as the other two rows say "больше 640" and "больше 1000".
QString count(const ToleranceCounts &c)
{
    static_assert(kBoundCountLimit == 1e15, "the text below names the limit");
    return c.byBoundBeyondLimit() ? QStringLiteral("больше 10^15") : formatWhole(c.byBound);
}

QString orders(const ConvergenceStudy &s)
{
    const auto at640 = [](const RuleStudy &r) {
        const std::optional<double> o = r.table.back().order;
        return o ? formatFixed(*o, 2) : QStringLiteral("—");
    };
    return QStringLiteral("наблюдаемый порядок при n = 640: %1 у метода трапеций и %2 у метода "
                          "Симпсона")
        .arg(at640(s.trapezoid), at640(s.simpson));
}

} // namespace

ConvergenceWindow::ConvergenceWindow(QWidget *parent)
    : SecondaryWindow("Conv", "Исследование сходимости", kClientWidth, kClientHeight, parent),
      m_form(this, kControls), m_table(m_form.get<ReadOnlyTable>(QStringLiteral("Table1"))),
      m_counts(m_form.get<ReadOnlyTable>(QStringLiteral("Table2")))
{
    m_form.setAccessibleNames({{"Text1", "Начало отрезка интегрирования a"},
                               {"Text2", "Конец отрезка интегрирования b"},
                               {"Text3", "Допустимая погрешность ε"},
                               {"Text4", "Число разбиений n на рисунке"},
                               {"Table1", "Таблица сходимости: значения, погрешности, оценки "
                                          "Рунге, порядки и уточнение Ричардсона при n от 10 "
                                          "до 640"},
                               {"Table2", "Число разбиений n для допустимой погрешности ε"}});

    m_table->setRowCount(int(kStudyCounts.size()));
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Fixed);
    m_table->setColumnWidth(0, kCountColumnWidth);
    m_table->verticalHeader()->setDefaultSectionSize(QFontMetrics(font()).height() + kRowPadding);

    m_counts->setRowCount(kCountWays);
    m_counts->setVerticalHeaderLabels({QStringLiteral("по априорной оценке"),
                                       QStringLiteral("по Рунге, удваивая n"),
                                       QStringLiteral("по фактической погрешности")});
    m_counts->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_counts->verticalHeader()->setDefaultSectionSize(QFontMetrics(font()).height() + kRowPadding);

    // The captions a chart prints are part of its picture, not text to paste.
    for (const char *name : kCharts)
        setPictureOnly(canvas(name));
    clearResults();

    auto *run = m_form.get<QPushButton>(QStringLiteral("Command1"));
    connect(run, &QPushButton::clicked, this, &ConvergenceWindow::study);
    bindAction(run, {field("Text1"), field("Text2"), field("Text3"), field("Text4")});
    bindReturn(m_form.get<QPushButton>(QStringLiteral("toMain")));
}

QLineEdit *ConvergenceWindow::field(const char *name) const
{
    return m_form.get<QLineEdit>(QString::fromUtf8(name));
}

PlotCanvas *ConvergenceWindow::canvas(const char *name) const
{
    return m_form.get<PlotCanvas>(QString::fromUtf8(name));
}

void ConvergenceWindow::clearResults()
{
    m_study.reset();
    for (const char *name : kResultAreas) {
        canvas(name)->clear();
        canvas(name)->setAccessibleDescription(QString());
    }
    for (const char *name : kCharts) {
        canvas(name)->clear();
        canvas(name)->setAccessibleName(QString());
        canvas(name)->setAccessibleDescription(notDrawnYet());
    }
    m_table->clearContents();
    m_counts->clearContents();
}

Result<RulePicture> ConvergenceWindow::studyAndDraw(const NumberFields &fields)
{
    const auto read = fields.read();
    if (!read)
        return read.refusal();
    const double a = (*read)[0], b = (*read)[1], tolerance = (*read)[2], count = (*read)[3];
    auto studied = studyConvergence(a, b, tolerance);
    if (!studied)
        return studied.refusal();
    auto picture = rulePicture(a, b, count);
    if (!picture)
        return picture;
    if (!drawErrorChart(*canvas("Picture5"), *studied) ||
        !drawRulePicture(*canvas("Picture6"), *picture)) {
        // The far end from 0 is the one that makes the interval too wide.
        return Refusal{Reason::BeyondSinglePrecision, a <= b ? Input::B : Input::A};
    }
    m_study = std::move(studied).value();
    return picture;
}

void ConvergenceWindow::study()
{
    // Everything goes before anything is read: a refusal leaves nothing of an
    // earlier study beside inputs it was not made from.
    clearResults();
    const NumberFields fields(m_form, {{Input::A, "Text1"},
                                       {Input::B, "Text2"},
                                       {Input::Tolerance, "Text3"},
                                       {Input::Count, "Text4"}});
    const Result<RulePicture> picture = studyAndDraw(fields);
    if (!picture) {
        clearResults();
        const Refusal &why = picture.refusal();
        fields.showFault(this, why.input.value_or(Input::A), explain(why));
        return;
    }
    showStudy(*m_study);

    const QString interval =
        QStringLiteral("[%1; %2]")
            .arg(formatSignificant(m_study->a, 6), formatSignificant(m_study->b, 6));
    PlotCanvas *errors = canvas("Picture5");
    errors->setAccessibleName(QStringLiteral("График погрешностей"));
    errors->setAccessibleDescription(
        QStringLiteral("|e(n)| и априорные оценки обоих методов при n от 2 до 1000 на %1, "
                       "логарифмические шкалы; %2")
            .arg(interval, orders(*m_study)));
    PlotCanvas *rules = canvas("Picture6");
    rules->setAccessibleName(QStringLiteral("Правила на графике f"));
    rules->setAccessibleDescription(
        QStringLiteral("f на %1: %2 хорд метода трапеций и %3 парабол метода Симпсона")
            .arg(interval)
            .arg(picture->n)
            .arg(picture->n / 2));
}

void ConvergenceWindow::showStudy(const ConvergenceStudy &s)
{
    const double exact = s.integral.mid;
    canvas("Picture1")->printText(formatFixed(exact, kExactDecimals));
    const double below = exact - kExactValue;
    canvas("Picture2")
        ->printText(std::abs(below) < kUnseenDifference
                        ? QStringLiteral("оно совпадает с точным до 12 знаков")
                        : QStringLiteral("оно на %1 %2 точного")
                              .arg(formatPower(std::abs(below)), below > 0
                                                                     ? QStringLiteral("меньше")
                                                                     : QStringLiteral("больше")));
    const auto maximum = [&s](const DerivativeMax &m) {
        // The digits the proof makes certain (within one unit of the last);
        // at an end of the interval the place is exact, inside it is where
        // the largest value was found.
        const bool atEnd = m.at == s.a || m.at == s.b;
        QString value = provenDigitsShown(m.lower, m.upper);
        if (value.isEmpty())
            value = QStringLiteral("от %1 до %2")
                        .arg(provenDigits(m.lower, Rounding::Down),
                             provenDigits(m.upper, Rounding::Up));
        return QStringLiteral("%1 при x %2 %3")
            .arg(value, atEnd ? QStringLiteral("=") : QStringLiteral("≈"),
                 formatSignificant(m.at, 8));
    };
    const auto range = [](const DerivativeMax &m) {
        return QStringLiteral("доказано: от %1 до %2")
            .arg(provenDigits(m.lower, Rounding::Down), provenDigits(m.upper, Rounding::Up));
    };
    canvas("Picture3")->setAccessibleDescription(range(s.m2));
    canvas("Picture4")->setAccessibleDescription(range(s.m4));
    canvas("Picture3")->printText(maximum(s.m2));
    canvas("Picture4")->printText(maximum(s.m4));

    for (int r = 0; r < int(kStudyCounts.size()); ++r) {
        m_table->setCell(r, 0, formatWhole(kStudyCounts[r]));
        int column = 1;
        for (const RuleStudy *rule : {&s.trapezoid, &s.simpson}) {
            const StudyRow &row = rule->table[r];
            m_table->setCell(r, column++, formatFixed(row.value, 12));
            m_table->setCell(r, column++, error(row.error));
            m_table->setCell(r, column++, row.runge ? error(*row.runge) : QString());
            m_table->setCell(r, column++, row.order ? formatFixed(*row.order, 2) : QString());
            m_table->setCell(r, column++,
                             row.richardson ? formatFixed(*row.richardson, 12) : QString());
        }
    }
    showCounts(s);
}

void ConvergenceWindow::showCounts(const ConvergenceStudy &s)
{
    int column = 0;
    for (const RuleStudy *rule : {&s.trapezoid, &s.simpson}) {
        const ToleranceCounts &c = rule->counts;
        m_counts->setCell(0, column, count(c));
        m_counts->setCell(1, column,
                          c.byRunge ? formatWhole(*c.byRunge) : QStringLiteral("больше 640"));
        m_counts->setCell(2, column,
                          c.byActualError ? formatWhole(*c.byActualError)
                                          : QStringLiteral("больше 1000"));
        ++column;
    }
}

} // namespace kvadrolab
