// SPDX-License-Identifier: GPL-3.0-or-later
#include "studywindow/studytables.h"

#include "numbers/numbertext.h"
#include "studywindow/studytext.h"

#include <QStringList>

#include <algorithm>
#include <cmath>
#include <limits>

namespace kvadrolab {

namespace {

StudyCell number(const QString &text, double v)
{
    return {text, v, {}};
}

StudyCell words(const QString &text, const QString &note = {})
{
    return {text, std::nullopt, note};
}

double lowerEnd(const Study &s)
{
    return std::min(s.input.a, s.input.b);
}

double upperEnd(const Study &s)
{
    return std::max(s.input.a, s.input.b);
}

// A rule the study could not sum: where f overflows in doubles though the
// proof holds it finite.
StudyCell refusedRule(const Refusal &why, const Study &s)
{
    return words(QStringLiteral("отказ: ") + proofRefusalText(why, lowerEnd(s), upperEnd(s)));
}

// A bound or a count that needs an M_k the proof refused: what is missing,
// and the proof's reason as its note.
StudyCell missingMaximum(RuleKind kind, const Refusal &why, const Study &s)
{
    const int k = ruleInfo(kind).derivative;
    return words(QStringLiteral("нет: M%1 не доказана").arg(k),
                 proofRefusalText(why, lowerEnd(s), upperEnd(s), k));
}

// The number behind enclosedSmallText: none where only a bound is shown.
std::optional<double> smallNumber(const Enclosure &e)
{
    if (excludesZero(e))
        return e.mid;
    if (e.lower == 0 && e.upper == 0)
        return 0.0;
    return std::nullopt;
}

// The error of a value summed in doubles (Romberg's, adaptive Simpson's)
// against the proven integral: where it lies within the integral's
// radius, only a bound on it is proven, and no digit below that is shown.
StudyCell doubleErrorCell(double error, const Enclosure &integral, const QString &name)
{
    const double radius = std::isfinite(integral.fineRad) ? integral.fineRad : integral.rad;
    if (std::fabs(error) > radius)
        return number(errorText(error), error);
    const double bound =
        std::nextafter(std::fabs(error) + radius, std::numeric_limits<double>::infinity());
    return words(
        QStringLiteral("|%1| ≤ %2").arg(name, shownDecimal(decimalText(bound, 2, Rounding::Up))),
        QStringLiteral("Погрешность не больше радиуса доказанного интеграла: её "
                       "знак и цифры не различить"));
}

// A dash where a number would mean nothing, with the reason as its note.
StudyCell dash(const QString &why)
{
    return {QStringLiteral("—"), std::nullopt, why};
}

// The rule is exact for this f: its M_k is proven 0, so is every bound.
bool ruleIsExact(const Study &s, RuleKind kind)
{
    const Result<DerivativeMax> &m = maximumOfOrder(s, ruleInfo(kind).derivative);
    return m && m->upper == 0;
}

QString exactRuleNote(RuleKind kind)
{
    return QStringLiteral("M%1 = 0 доказано: правило точно для этой f, погрешности нет")
        .arg(ruleInfo(kind).derivative);
}

// Why the exact sum is missing: too many nodes, or what the proof said.
QString missingExactNote(const Refusal &why, const Study &s)
{
    return why.reason == Reason::WorkLimit
               ? QStringLiteral("точная сумма не считается: слишком много узлов")
               : QStringLiteral("точная сумма не вычислена: ") +
                     proofRefusalText(why, lowerEnd(s), upperEnd(s));
}

// I(n): the exact sum's midpoint where there is one; the note gives it
// beside the double sum and the rounding between them.
StudyCell sumCell(double doubleSum, const Result<ExactRuleValue> &exact, const Study &s)
{
    const QString inDouble = QStringLiteral("сумма в double: ") +
                             shownDecimal(decimalText(doubleSum, 17, Rounding::Nearest));
    if (!exact)
        return {valueText(doubleSum), doubleSum,
                inDouble + QStringLiteral("\n") + missingExactNote(exact.refusal(), s)};
    const Enclosure &v = exact->value;
    return {valueText(v.mid), v.mid,
            QStringLiteral("I(n) на точных узлах, верные цифры: %1\n%2\nокругление суммы "
                           "(double − точная): %3")
                .arg(certainDigits(v.lower, v.upper), inDouble,
                     enclosedSmallText(exact->rounding, QStringLiteral("округление")))};
}

// e(n): the exact error, a bound on it where its enclosure holds 0, or the
// double sum's error marked as not proven.
StudyCell errorCell(const Study &s, RuleKind kind, double doubleError,
                    const Result<ExactRuleValue> &exact)
{
    if (ruleIsExact(s, kind))
        return {QStringLiteral("0 (правило точно)"), 0.0, exactRuleNote(kind)};
    if (!exact)
        return {unprovenText(errorText(doubleError)), doubleError,
                unprovenNote() + QStringLiteral(": ") + missingExactNote(exact.refusal(), s)};
    const Enclosure &e = exact->error;
    if (excludesZero(e))
        return number(errorText(e.mid), e.mid);
    return StudyCell{enclosedSmallText(e, QStringLiteral("e(n)")), smallNumber(e),
                     QStringLiteral("Граница e(n) содержит 0: погрешность метода меньше, чем "
                                    "позволяет различить доказанная точность интеграла")};
}

// Why a ratio or an order of errors is not shown, or empty where it means
// something.
QString noErrorRatio(const Study &s, RuleKind kind, const Result<ExactRuleValue> &exact)
{
    if (ruleIsExact(s, kind))
        return exactRuleNote(kind);
    if (!exact)
        return QStringLiteral("e(n) не доказана (") + unprovenNote() + QStringLiteral(")");
    if (!excludesZero(exact->error))
        return QStringLiteral("граница e(n) содержит 0: отношение ничего не значит");
    return {};
}

StudyColumn methodColumn()
{
    return {QStringLiteral("Метод"),
            QStringLiteral("Составное правило; формулы и оценки — в справке (F1)"), false};
}

StudyColumn errorColumn()
{
    return {QStringLiteral("e(n) = I(n) − I"),
            QStringLiteral("Фактическая погрешность: I — доказанное значение интеграла, I(n) — "
                           "сумма на точных узлах. «|e(n)| ≤ r»: граница e(n) содержит 0; "
                           "«≈»: сумма в double, не доказана")};
}

QString rungeTrustColumnNote()
{
    return QStringLiteral(
               "Оценка Рунге предполагает, что e(n) убывает как h^p. Ей можно верить, когда "
               "наблюдаемый порядок p_набл = log₂(|e(n/2)| / |e(n)|) отличается от p не больше "
               "чем на p/4: %1 (p = 1), %2 (p = 2), %3 (p = 4), %4 (p = 6). Нельзя, когда он "
               "дальше от p или когда e(n) или e(n/2) неотличима от 0 (её граница содержит 0, а "
               "сумма в double — в пределах округления)")
        .arg(rungeCriterion(1), rungeCriterion(2), rungeCriterion(4), rungeCriterion(6));
}

// Runge's estimate from the exact sums where they are: the double sums'
// differ by their rounding, which for an exact rule is all there is.
StudyCell rungeCell(const Study &s, RuleKind kind, const DoublingRow &d)
{
    if (!d.runge)
        return {};
    if (ruleIsExact(s, kind))
        return {QStringLiteral("0 (правило точно)"), 0.0, exactRuleNote(kind)};
    if (!d.exactRunge)
        return {unprovenText(errorText(*d.runge)), *d.runge,
                QStringLiteral("по суммам в double, не доказана")};
    const Enclosure &r = *d.exactRunge;
    if (excludesZero(r))
        return number(errorText(r.mid), r.mid);
    return {enclosedSmallText(r, QStringLiteral("R(n)")), smallNumber(r),
            QStringLiteral("Граница R(n) по точным суммам содержит 0: I(n) и I(n/2) неотличимы")};
}

// The observed order, where both errors are proven and told from 0.
StudyCell orderCell(const Study &s, RuleKind kind, const DoublingRow &d)
{
    if (ruleIsExact(s, kind))
        return dash(exactRuleNote(kind));
    if (!d.orderExact) {
        QString why =
            QStringLiteral("e(n) или e(n/2) не доказана (") + unprovenNote() + QStringLiteral(")");
        if (d.order)
            why += QStringLiteral("; по суммам в double порядок ≈ ") + orderText(*d.order);
        return dash(why);
    }
    if (!d.order)
        return dash(QStringLiteral("граница e(n) или e(n/2) содержит 0: отношение ничего не "
                                   "значит"));
    return number(orderText(*d.order), *d.order);
}

// p* from three sums: empty where n/4 is no count of the rule.
StudyCell orderWithoutICell(RuleKind kind, const DoublingRow &d)
{
    const long m = ruleInfo(kind).countMultiple;
    if (!d.runge || d.n % 4 != 0 || (d.n / 4) % m != 0)
        return {};
    if (!d.orderWithoutI)
        return dash(d.orderWithoutIExact
                        ? QStringLiteral("граница I(n) − I(n/2) или I(n/2) − I(n/4) содержит 0: "
                                         "отношение ничего не значит")
                        : QStringLiteral("разность сумм в double не больше их округления"));
    if (!d.orderWithoutIExact)
        return {unprovenText(orderText(*d.orderWithoutI)), *d.orderWithoutI,
                QStringLiteral("по суммам в double, не доказан")};
    return number(orderText(*d.orderWithoutI), *d.orderWithoutI);
}

// Whether Runge's estimate can be believed, with the criterion in numbers.
StudyCell trustCell(const Study &s, const StudyRule &rule, const DoublingRow &d)
{
    const int p = ruleInfo(rule.kind).order;
    if (!d.runge)
        return words(QStringLiteral("нет оценки: n/2 не подходит методу"));
    if (ruleIsExact(s, rule.kind))
        return words(QStringLiteral("можно: правило точно"), exactRuleNote(rule.kind));
    QString note = QStringLiteral("Можно верить, когда %1").arg(rungeCriterion(p));
    if (d.order)
        note += QStringLiteral("; здесь p_набл = %1%2")
                    .arg(orderText(*d.order),
                         d.orderExact ? QString() : QStringLiteral(" (по суммам в double)"));
    switch (d.trust) {
    case RungeTrust::Trusted:
        return words(QStringLiteral("можно: порядок близок к %1").arg(p), note);
    case RungeTrust::OrderFar:
    case RungeTrust::NoOrder:
        break;
    }
    // The leading term of the error vanishes at these ends: the error falls
    // faster than h^p, and Runge's divisor 2^p - 1 overstates it.
    if (rule.endsCancelLeadingTerm && (!d.order || *d.order > p)) {
        const QString f = leadingDerivative(p);
        return words(QStringLiteral("нельзя: концы гасят главный член"),
                     note +
                         QStringLiteral(". %1(a) = %1(b): главный член погрешности c·h^%2·(%1(b) − "
                                        "%1(a)) по формуле Эйлера — Маклорена равен 0, погрешность "
                                        "убывает быстрее h^%2, и оценка Рунге с делителем 2^%2 − 1 "
                                        "её завышает")
                             .arg(f)
                             .arg(p));
    }
    if (d.trust == RungeTrust::OrderFar)
        return words(QStringLiteral("нельзя: порядок далёк от %1").arg(p), note);
    return words(QStringLiteral("нельзя: порядок не определить"),
                 note + QStringLiteral("; e(n) или e(n/2) неотличима от 0"));
}

} // namespace

void fill(StudyTableModel *model, TableRows rows)
{
    model->reset(rows.rows, std::move(rows.cell));
}

std::vector<StudyColumn> maximaColumns()
{
    return {
        {QStringLiteral("Величина"), QStringLiteral("M_k = max |f^(k)(x)| на отрезке"), false},
        {QStringLiteral("не меньше"),
         QStringLiteral("Доказано: |f^(k)| достигает этого значения в указанной точке")},
        {QStringLiteral("не больше"),
         QStringLiteral("Доказано: |f^(k)(x)| не больше этого значения на всём отрезке")},
        {QStringLiteral("где"),
         QStringLiteral("Точка, где |f^(k)| достигает нижней границы («не меньше»); «x ≈» — её "
                        "знаки до точности поиска"),
         false},
        {QStringLiteral("нужна методам"), QStringLiteral("Чьи априорные оценки берут M_k"), false}};
}

TableRows maximaRows(SharedStudy study)
{
    return {int(studyOrders.size()), [study](int row, int column) {
                const Study &s = *study;
                const int order = studyOrders[std::size_t(row)];
                const Result<DerivativeMax> &m = s.maxima[std::size_t(row)];
                switch (column) {
                case 0:
                    return words(QStringLiteral("M%1").arg(order));
                case 1:
                    return m ? number(boundText(m->lower, Rounding::Down), m->lower) : StudyCell{};
                case 2:
                    return m ? number(boundText(m->upper, Rounding::Up), m->upper) : StudyCell{};
                case 3:
                    return m ? words(placeOfMaximum(*m, lowerEnd(s), upperEnd(s)))
                             : words(
                                   proofRefusalText(m.refusal(), lowerEnd(s), upperEnd(s), order));
                default: {
                    QStringList users;
                    for (RuleKind kind : allRules)
                        if (ruleInfo(kind).derivative == order)
                            users << methodShortName(kind);
                    return words(users.join(QStringLiteral(", ")));
                }
                }
            }};
}

std::vector<StudyColumn> atCountColumns()
{
    return {methodColumn(),
            {QStringLiteral("I(n)"),
             QStringLiteral("I(n) = Σ wᵢ·f(xᵢ): сумма метода при h = (b − a)/n")},
            errorColumn(),
            {QStringLiteral("априорная оценка"),
             QStringLiteral("|e(n)| ≤ (b − a)·h^k·M_k / C при h = (b − a)/n; k и C у каждого "
                            "метода свои (F1 — справка)")},
            {QStringLiteral("оценка / |e(n)|"),
             QStringLiteral("Во сколько раз априорная оценка больше фактической погрешности")},
            {QStringLiteral("округление"),
             QStringLiteral("Сумма в double − I(n) на точных узлах: что добавило округление, "
                            "в отличие от погрешности метода e(n)")}};
}

TableRows atCountRows(SharedStudy study, long n)
{
    // Each rule at n once, now: the cells only print them.
    auto lines = std::make_shared<std::vector<Result<RuleAtCount>>>();
    for (RuleKind kind : study->input.methods.composite)
        lines->push_back(ruleAtCount(*study, kind, n));
    return {
        int(lines->size()), [study, lines, n](int row, int column) {
            const RuleKind kind = study->input.methods.composite[std::size_t(row)];
            const Result<RuleAtCount> &at = (*lines)[std::size_t(row)];
            if (column == 0)
                return words(methodName(kind));
            if (!at)
                return column == 1
                           ? words(QStringLiteral("не берёт n = %1: %2")
                                       .arg(countText(n), countRefusalText(kind, at.refusal())))
                           : StudyCell{};
            switch (column) {
            case 1:
                return sumCell(at->value, at->exact, *study);
            case 2:
                return errorCell(*study, kind, at->error, at->exact);
            case 3: {
                if (!at->bound)
                    return missingMaximum(kind, at->bound.refusal(), *study);
                const Result<DerivativeMax> &m = maximumOfOrder(*study, ruleInfo(kind).derivative);
                return StudyCell{errorText(*at->bound), *at->bound,
                                 m ? boundAtText(kind, study->input.a, study->input.b, n, m->upper)
                                   : QString()};
            }
            case 4: {
                if (const QString why = noErrorRatio(*study, kind, at->exact); !why.isEmpty())
                    return dash(why);
                return at->ratio
                           ? number(shownDecimal(decimalText(*at->ratio, 3, Rounding::Nearest)),
                                    *at->ratio)
                           : StudyCell{};
            }
            default:
                return at->exact ? StudyCell{enclosedSmallText(at->exact->rounding,
                                                               QStringLiteral("округление")),
                                             smallNumber(at->exact->rounding),
                                             {}}
                                 : dash(missingExactNote(at->exact.refusal(), *study));
            }
        }};
}

std::vector<StudyColumn> countsColumns()
{
    return {methodColumn(),
            {QStringLiteral("по априорной оценке"),
             QStringLiteral("Наименьшее n, при котором (b − a)·h^k·M_k / C ≤ ε, посчитано точно "
                            "(равенство годится). Если M_k доказана лишь между двумя числами и "
                            "n от них разные, показаны оба")},
            {QStringLiteral("по Рунге, удваивая n"),
             QStringLiteral("Наименьшее n, где |I(n/2) − I(n)| / (2^p − 1) ≤ ε: перебраны все n, "
                            "у которых n/2 не меньше первого n таблицы удвоения, до n = 1000 "
                            "(суммы в double). У Ромберга — строка k, где |R(k, k) − R(k − 1, "
                            "k − 1)| ≤ ε; у адаптивного Симпсона — сколько раз вычислена f")},
            {QStringLiteral("по фактической погрешности"),
             QStringLiteral("Наименьшее n, начиная с которого |I(n) − I| ≤ ε до n = 1000")}};
}

namespace {

// "n для ε" by the bound: one count, or where M_k is proven only between
// two numbers that give different counts, both.
StudyCell countByBoundCell(const Study &s, RuleKind kind, const StudyCounts &c)
{
    if (!c.byBound)
        return missingMaximum(kind, c.byBound.refusal(), s);
    if (!(*c.byBound <= kStudyBoundCountLimit))
        return words(withSuperscripts(QStringLiteral("больше 10^15")));
    const QString upper = formatCount(static_cast<long long>(*c.byBound));
    const Result<DerivativeMax> &m = maximumOfOrder(s, ruleInfo(kind).derivative);
    if (!c.byBoundFromLower || !m)
        return number(upper, *c.byBound);
    const int k = ruleInfo(kind).derivative;
    const QString lower = formatCount(static_cast<long long>(*c.byBoundFromLower));
    const QString from = boundText(m->lower, Rounding::Down),
                  to = boundText(m->upper, Rounding::Up);
    // The number behind the cell is the count that is proven to suffice.
    return {QStringLiteral("%1 (при M%2 = %3) … %4").arg(lower).arg(k).arg(from, upper), *c.byBound,
            QStringLiteral("M%1 доказана лишь между %2 и %3: при M%1 = %2 хватает n = %4, при "
                           "M%1 = %3 нужно n = %5; истинное n — между ними")
                .arg(k)
                .arg(from, to, lower, upper)};
}

StudyCell countByRungeCell(RuleKind kind, const StudyCounts &c)
{
    const long last = c.rungeLast > 0 ? c.rungeLast : kStudyCurveLast;
    if (!c.byRunge)
        return {QStringLiteral("больше %1").arg(countText(last)), std::nullopt,
                QStringLiteral("Ни при одном n до %1 оценка Рунге не ≤ ε").arg(countText(last))};
    // The pair that answered: its estimate is believed only where the
    // observed order agrees with the rule's.
    // Words, not a number: a spreadsheet keeps the warning too.
    const QString distrusted = QStringLiteral("%1 — не верить").arg(countText(*c.byRunge));
    switch (c.rungeTrust) {
    case RungeTrust::Trusted:
        break;
    case RungeTrust::OrderFar:
        return StudyCell{distrusted, std::nullopt,
                         QStringLiteral("Наблюдаемый порядок при n = %1 далёк от порядка "
                                        "метода %2: оценка Рунге здесь ненадёжна")
                             .arg(countText(*c.byRunge))
                             .arg(ruleInfo(kind).order)};
    case RungeTrust::NoOrder:
        return StudyCell{distrusted, std::nullopt,
                         QStringLiteral("При n/2 = %1 и n = %2 погрешность нулевая или на уровне "
                                        "округления: порядок не определить, оценку Рунге не "
                                        "проверить")
                             .arg(countText(*c.byRunge / 2), countText(*c.byRunge))};
    }
    return number(countText(*c.byRunge), double(*c.byRunge));
}

StudyCell noBound(const QString &method)
{
    return words(QStringLiteral("нет априорной оценки"),
                 QStringLiteral("%1 выбирает разбиение сам; его погрешность оценивают по ходу "
                                "вычислений")
                     .arg(method));
}

// Romberg's row k as "n для ε": n = 2^k subintervals, 2^k + 1 values of f.
StudyCell rombergCountCell(const StudyRomberg &r, std::optional<int> row, const QString &why)
{
    const long rows = long(r.table.rows.size());
    if (!row)
        return words(QStringLiteral("больше %1").arg(countText(1L << (rows - 1))),
                     QStringLiteral("Ни в одной из %1 строк таблицы Ромберга: %2")
                         .arg(countText(rows))
                         .arg(why));
    const long n = 1L << *row;
    return {QStringLiteral("%1 (строка k = %2)").arg(countText(n), countText(*row)), double(n),
            QStringLiteral("Строка k = %1 таблицы Ромберга, n = 2^k = %2, значений f — %3: %4")
                .arg(countText(*row), countText(n), countText(n + 1), why)};
}

StudyCell rombergCounts(const Study &s, int column)
{
    if (column == 0)
        return words(rombergName());
    const Result<StudyRomberg> &r = *s.romberg;
    if (!r)
        return column == 1 ? refusedRule(r.refusal(), s) : StudyCell{};
    const double eps = s.input.tolerance;
    switch (column) {
    case 1:
        return noBound(QStringLiteral("Метод Ромберга"));
    case 2:
        return rombergCountCell(*r, rombergRowByEstimate(*r, eps),
                                QStringLiteral("первая, где |R(k, k) − R(k − 1, k − 1)| ≤ ε"));
    default:
        return rombergCountCell(*r, rombergRowByError(*r, eps),
                                QStringLiteral("с неё |R(k, k) − I| ≤ ε до последней строки"));
    }
}

StudyCell adaptiveCounts(const Study &s, int column)
{
    if (column == 0)
        return words(adaptiveName());
    const Result<StudyAdaptive> &r = *s.adaptive;
    if (!r)
        return column == 1 ? refusedRule(r.refusal(), s) : StudyCell{};
    const long evaluations = r->run.evaluations;
    const QString count = QStringLiteral("%1 значений f").arg(countText(evaluations));
    switch (column) {
    case 1:
        return noBound(QStringLiteral("Адаптивный Симпсон"));
    case 2:
        return {count, double(evaluations),
                QStringLiteral("Столько раз вычислена f, пока оценка Σ |S(половин) − S(куска)| / "
                               "15 не стала ≤ ε")};
    default:
        if (std::fabs(r->error) <= s.input.tolerance)
            return {count, double(evaluations),
                    QStringLiteral("С этими значениями f фактическая погрешность |I − I*| ≤ ε")};
        return words(count + QStringLiteral(", но |e| > ε"),
                     QStringLiteral("Оценка метода ≤ ε, а фактическая погрешность больше ε"));
    }
}

} // namespace

TableRows countsRows(SharedStudy study)
{
    // The composite rules, then Romberg's and adaptive Simpson's rows where
    // they were chosen.
    const int rules = int(study->rules.size());
    const int romberg = study->romberg ? 1 : 0;
    const int rows = rules + romberg + (study->adaptive ? 1 : 0);
    return {rows, [study, rules, romberg](int row, int column) {
                const Study &s = *study;
                if (row >= rules)
                    return row - rules < romberg ? rombergCounts(s, column)
                                                 : adaptiveCounts(s, column);
                const Result<StudyRule> &studied = s.rules[std::size_t(row)];
                const RuleKind kind = s.input.methods.composite[std::size_t(row)];
                if (column == 0)
                    return words(methodName(kind));
                if (!studied)
                    return column == 1 ? refusedRule(studied.refusal(), s) : StudyCell{};
                const StudyCounts &c = studied->counts;
                switch (column) {
                case 1:
                    return countByBoundCell(s, kind, c);
                case 2:
                    return countByRungeCell(kind, c);
                default:
                    return c.byActualError
                               ? number(countText(*c.byActualError), double(*c.byActualError))
                               : words(QStringLiteral("больше %1").arg(countText(kStudyCurveLast)));
                }
            }};
}

std::vector<StudyColumn> doublingColumns()
{
    return {methodColumn(),
            {QStringLiteral("n"), QStringLiteral("Число разбиений; каждая строка удваивает n")},
            {QStringLiteral("I(n)"), QStringLiteral("Сумма метода при h = (b − a)/n")},
            errorColumn(),
            {QStringLiteral("оценка Рунге"),
             QStringLiteral("R(n) = (I(n/2) − I(n)) / (2^p − 1), p — порядок метода; по "
                            "суммам на точных узлах, «≈» — по суммам в double")},
            {QStringLiteral("порядок"),
             QStringLiteral("Наблюдаемый порядок log₂(|e(n/2)| / |e(n)|); у метода он равен p")},
            {QStringLiteral("порядок без I"),
             QStringLiteral("p* = log₂(|I(n/2) − I(n/4)| / |I(n) − I(n/2)|): порядок по трём "
                            "суммам метода, без значения интеграла")},
            {QStringLiteral("по Ричардсону"), QStringLiteral("Уточнённое значение I(n) − R(n)")},
            {QStringLiteral("можно ли верить оценке Рунге"), rungeTrustColumnNote(), false}};
}

TableRows doublingRows(SharedStudy study)
{
    // A refused rule has one row, which says why.
    auto rows = std::make_shared<std::vector<std::pair<std::size_t, std::size_t>>>();
    for (std::size_t r = 0; r < study->rules.size(); ++r) {
        const Result<StudyRule> &rule = study->rules[r];
        for (std::size_t i = 0; i < (rule ? rule->doubling.size() : 1); ++i)
            rows->emplace_back(r, i);
    }
    return {int(rows->size()), [study, rows](int row, int column) {
                const auto [r, i] = (*rows)[std::size_t(row)];
                const Result<StudyRule> &studied = study->rules[r];
                const RuleKind kind = study->input.methods.composite[r];
                if (column == 0)
                    return words(methodName(kind));
                if (!studied)
                    return column == 2 ? refusedRule(studied.refusal(), *study) : StudyCell{};
                const DoublingRow &d = studied->doubling[i];
                switch (column) {
                case 1:
                    return number(countText(d.n), double(d.n));
                case 2:
                    return sumCell(d.value, d.exact, *study);
                case 3:
                    return errorCell(*study, kind, d.error, d.exact);
                case 4:
                    return rungeCell(*study, kind, d);
                case 5:
                    return d.runge ? orderCell(*study, kind, d) : StudyCell{};
                case 6:
                    return orderWithoutICell(kind, d);
                case 7:
                    return d.richardson ? number(valueText(*d.richardson), *d.richardson)
                                        : StudyCell{};
                default:
                    return trustCell(*study, *studied, d);
                }
            }};
}

std::vector<StudyColumn> rombergColumns(const Study &study)
{
    if (!study.romberg || !*study.romberg)
        return {};
    const std::size_t rows = (*study.romberg)->table.rows.size();
    std::vector<StudyColumn> columns{
        {QStringLiteral("k"), QStringLiteral("Номер строки")},
        {QStringLiteral("n = 2^k"), QStringLiteral("Число разбиений метода трапеций")}};
    for (std::size_t j = 0; j < rows; ++j)
        columns.push_back({QStringLiteral("R(k, %1)").arg(j),
                           j == 0 ? QStringLiteral("Метод трапеций при n = 2^k")
                                  : QStringLiteral("(4^%1·R(k, %2) − R(k − 1, %2)) / (4^%1 − 1)")
                                        .arg(j)
                                        .arg(j - 1)});
    columns.push_back({QStringLiteral("e = R(k, k) − I"),
                       QStringLiteral("Погрешность последнего значения строки")});
    return columns;
}

TableRows rombergRows(SharedStudy study)
{
    if (!study->romberg || !*study->romberg)
        return {};
    const std::size_t rows = (*study->romberg)->table.rows.size();
    return {int(rows), [study, rows](int row, int column) {
                const StudyRomberg &t = **study->romberg;
                const auto &line = t.table.rows[std::size_t(row)];
                if (column == 0) {
                    // The row where Romberg's own estimate first meets ε.
                    if (rombergRowByEstimate(t, study->input.tolerance) == row)
                        return StudyCell{QStringLiteral("%1 ← ε").arg(countText(row)), double(row),
                                         QStringLiteral("Первая строка, где |R(k, k) − R(k − 1, "
                                                        "k − 1)| ≤ ε")};
                    return number(countText(row), row);
                }
                if (column == 1)
                    return number(countText(1L << row), double(1L << row));
                if (std::size_t(column) == rows + 2)
                    return doubleErrorCell(t.errors[std::size_t(row)].back(), study->integral,
                                           QStringLiteral("e"));
                const std::size_t j = std::size_t(column - 2);
                return j < line.size() ? number(valueText(line[j]), line[j]) : StudyCell{};
            }};
}

std::vector<StudyColumn> rombergSheetColumns()
{
    return {{QStringLiteral("k"), QString()},
            {QStringLiteral("n = 2^k"), QString()},
            {QStringLiteral("R(k, 0), трапеции"), QString()},
            {QStringLiteral("R(k, k)"), QString()},
            {QStringLiteral("e = R(k, k) − I"), QString()}};
}

TableRows rombergSheetRows(SharedStudy study)
{
    if (!study->romberg || !*study->romberg)
        return {};
    return {int((*study->romberg)->table.rows.size()), [study](int row, int column) {
                const StudyRomberg &r = **study->romberg;
                const auto &line = r.table.rows[std::size_t(row)];
                switch (column) {
                case 0:
                    return number(countText(row), row);
                case 1:
                    return number(countText(1L << row), double(1L << row));
                case 2:
                    return number(valueText(line.front()), line.front());
                case 3:
                    return number(valueText(line.back()), line.back());
                default:
                    return doubleErrorCell(r.errors[std::size_t(row)].back(), study->integral,
                                           QStringLiteral("e"));
                }
            }};
}

std::vector<StudyColumn> adaptiveColumns()
{
    return {
        {QStringLiteral("ε"), QStringLiteral("Допустимая погрешность, которой добивается метод")},
        {QStringLiteral("I"), QStringLiteral("Сумма по принятым кускам с поправкой Ричардсона")},
        {QStringLiteral("оценка погрешности"),
         QStringLiteral("Σ (S(половин) − S(куска)) / 15 по принятым кускам: оценка, не граница")},
        {QStringLiteral("фактическая погрешность"),
         QStringLiteral("I − доказанное значение интеграла")},
        {QStringLiteral("значений f"), QStringLiteral("Сколько раз вычислена f")},
        {QStringLiteral("наибольшая глубина"),
         QStringLiteral("Сколько раз делился пополам самый мелкий кусок")}};
}

TableRows adaptiveRows(SharedStudy study)
{
    if (!study->adaptive)
        return {};
    return {1, [study](int, int column) {
                const Result<StudyAdaptive> &r = *study->adaptive;
                const double eps = study->input.tolerance;
                if (column == 0)
                    return number(errorText(eps), eps);
                if (!r)
                    return column == 1 ? refusedRule(r.refusal(), *study) : StudyCell{};
                switch (column) {
                case 1:
                    return number(valueText(r->run.value), r->run.value);
                case 2:
                    return number(errorText(r->run.estimatedError), r->run.estimatedError);
                case 3:
                    return doubleErrorCell(r->error, study->integral, QStringLiteral("e"));
                case 4:
                    return number(countText(r->run.evaluations), double(r->run.evaluations));
                default:
                    return number(countText(r->run.deepest), r->run.deepest);
                }
            }};
}

std::vector<StudyColumn> nodeColumns()
{
    return {{QStringLiteral("i"), QStringLiteral("Номер узла")},
            {QStringLiteral("xᵢ"), QStringLiteral("Узел метода")},
            {QStringLiteral("f(xᵢ)"), QStringLiteral("Значение f в узле")},
            {QStringLiteral("вес wᵢ"), QStringLiteral("Вес узла в сумме, вместе с множителем h")},
            {QStringLiteral("wᵢ·f(xᵢ)"), QStringLiteral("Вклад узла в сумму")},
            {QStringLiteral("сумма"),
             QStringLiteral("Σ wⱼ·f(xⱼ) по j ≤ i; в последней строке — I(n)")}};
}

TableRows nodeRows(std::shared_ptr<const RuleTable> table)
{
    // The running sum in the order a student adds the column up.
    auto sums = std::make_shared<std::vector<double>>();
    double sum = 0;
    for (const RuleNode &node : table->nodes) {
        sum += node.weight * node.fx;
        sums->push_back(sum);
    }
    return {int(table->nodes.size()), [table, sums](int row, int column) {
                const RuleNode &node = table->nodes[std::size_t(row)];
                switch (column) {
                case 0:
                    return number(countText(row), row);
                case 1:
                    return number(valueText(node.x), node.x);
                case 2:
                    return number(valueText(node.fx), node.fx);
                case 3:
                    return number(valueText(node.weight), node.weight);
                case 4:
                    return number(valueText(node.weight * node.fx), node.weight * node.fx);
                default:
                    return number(valueText((*sums)[std::size_t(row)]), (*sums)[std::size_t(row)]);
                }
            }};
}

} // namespace kvadrolab
