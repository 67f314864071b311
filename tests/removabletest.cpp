// SPDX-License-Identifier: GPL-3.0-or-later
// Removable 0/0 points (sin(x)/x at 0) and the refusals beside them: the
// integral, the limit, the M_k of the continuous extension, the rules'
// nodes on the point, and the words, against closed forms and mpmath
// (mp.dps = 50, mpmath.quad split at the point; the sums in comments).
#include <QTest>

#include "calc/answer.h"
#include "calc/answertext.h"
#include "expression/parser.h"
#include "proof/derivativemax.h"
#include "proof/integral.h"
#include "proof/refusaltext.h"
#include "proof/removable.h"
#include "study/ruletext.h"
#include "study/study.h"

#include <cmath>
#include <string>
#include <vector>

using namespace kvadrolab;

Q_DECLARE_METATYPE(kvadrolab::Reason)
Q_DECLARE_METATYPE(std::vector<double>)

namespace {

Program parsed(const QString &f)
{
    Result<Program> p = parseExpression(f.toStdString());
    if (!p)
        qFatal("not an expression: %s", qPrintable(f));
    return *p;
}

// Whether the enclosure holds the reference, a decimal rounded to a double
// (one ulp of slack either way), and is at most `width` wide.
bool holds(const Enclosure &e, double reference, double width)
{
    const double below = std::nextafter(reference, -INFINITY);
    const double above = std::nextafter(reference, INFINITY);
    return e.lower <= above && below <= e.upper && e.upper - e.lower <= width;
}

} // namespace

class RemovableTest : public QObject
{
    Q_OBJECT

private slots:
    void integralThroughTheLimit_data();
    void integralThroughTheLimit();
    void limits_data();
    void limits();
    void maximaOfTheExtension_data();
    void maximaOfTheExtension();
    void refusals_data();
    void refusals();
    void wording_data();
    void wording();
    void rulesSumTheLimit_data();
    void rulesSumTheLimit();
    void calcSaysSo();
    void improperIntegral_data();
    void improperIntegral();
    void improperRefusals_data();
    void improperRefusals();
    void improperRulesAtThePoint();
};

void RemovableTest::integralThroughTheLimit_data()
{
    QTest::addColumn<QString>("f");
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<double>("reference");
    QTest::addColumn<double>("width");
    // Si(1) = 0.946083070367183014941353313823...
    QTest::newRow("sin(x)/x on [0; 1]: Si(1)")
        << "sin(x)/x" << 0.0 << 1.0 << 0.946083070367183 << 1e-14;
    QTest::newRow("sin(x)/x on [1; 0]: -Si(1)")
        << "sin(x)/x" << 1.0 << 0.0 << -0.946083070367183 << 1e-14;
    QTest::newRow("sin(x)/x on [-1; 1]: 2 Si(1)")
        << "sin(x)/x" << -1.0 << 1.0 << 1.892166140734366 << 1e-14;
    // mpmath: 4.99999999999999990277777777777777864e-9 (no point inside:
    // the plain proofs, kept).
    QTest::newRow("(1-cos x)/x^2 on [1e-8; 2e-8]")
        << "(1-cos(x))/x^2" << 1e-8 << 2e-8 << 4.9999999999999999e-9 << 1e-22;
    // mpmath: 0.972770752470645464684579842525...
    QTest::newRow("(1-cos x)/x^2 on [-1; 1]")
        << "(1-cos(x))/x^2" << -1.0 << 1.0 << 0.9727707524706455 << 1e-14;
    // Ein(1) = 1.317902151454403894860008844249...
    QTest::newRow("(exp(x)-1)/x on [0; 1]: Ein(1)")
        << "(exp(x)-1)/x" << 0.0 << 1.0 << 1.317902151454404 << 1e-14;
    // x + 1 away from 1: 4.
    QTest::newRow("(x^2-1)/(x-1) on [0; 2]") << "(x^2-1)/(x-1)" << 0.0 << 2.0 << 4.0 << 1e-13;
    // 2 cos x: 4 sin 1 = 3.365883939231586026610009286521...
    QTest::newRow("sin(2x)/sin(x) on [-1; 1]: 4 sin 1")
        << "sin(2*x)/sin(x)" << -1.0 << 1.0 << 3.365883939231586 << 1e-13;
    // Two points, 0 and 1: x(x - 1)/(x(x - 1)) is 1 on [-1; 2]: 3.
    QTest::newRow("two points: (x^2-x)/(x^2-x) on [-1; 2]")
        << "(x^2-x)/(x^2-x)" << -1.0 << 2.0 << 3.0 << 1e-13;
}

void RemovableTest::integralThroughTheLimit()
{
    QFETCH(QString, f);
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(double, reference);
    QFETCH(double, width);
    const Result<Enclosure> e = certifiedIntegral(parsed(f), a, b);
    QVERIFY2(e.ok(), e.ok() ? "" : qPrintable(QString::number(int(e.reason()))));
    QVERIFY2(
        holds(*e, reference, width),
        qPrintable(QStringLiteral("[%1; %2]").arg(e->lower, 0, 'g', 17).arg(e->upper, 0, 'g', 17)));
}

void RemovableTest::limits_data()
{
    QTest::addColumn<QString>("f");
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<std::vector<double>>("points");
    QTest::addColumn<std::vector<double>>("values");
    QTest::newRow("sin(x)/x at 0: 1")
        << "sin(x)/x" << 0.0 << 1.0 << std::vector<double>{0} << std::vector<double>{1};
    QTest::newRow("(1-cos x)/x^2 at 0: 1/2")
        << "(1-cos(x))/x^2" << -1.0 << 1.0 << std::vector<double>{0} << std::vector<double>{0.5};
    QTest::newRow("(exp(x)-1)/x at 0: 1")
        << "(exp(x)-1)/x" << -2.0 << 0.0 << std::vector<double>{0} << std::vector<double>{1};
    QTest::newRow("(x^2-1)/(x-1) at 1: 2")
        << "(x^2-1)/(x-1)" << 0.0 << 2.0 << std::vector<double>{1} << std::vector<double>{2};
    QTest::newRow("(x^3-8)/(x-2) at 2: 12")
        << "(x^3-8)/(x-2)" << 0.0 << 3.0 << std::vector<double>{2} << std::vector<double>{12};
    QTest::newRow("(x^2-x)/(x^2-x) at 0 and 1")
        << "(x^2-x)/(x^2-x)" << -1.0 << 2.0 << std::vector<double>{0, 1}
        << std::vector<double>{1, 1};
    QTest::newRow("sin(x)/x off the point: none")
        << "sin(x)/x" << 1.0 << 2.0 << std::vector<double>{} << std::vector<double>{};
}

void RemovableTest::limits()
{
    QFETCH(QString, f);
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(std::vector<double>, points);
    QFETCH(std::vector<double>, values);
    const auto found = proveDefinedWithLimits(parsed(f), a, b);
    QVERIFY(found.ok());
    QCOMPARE(found->size(), points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        const RemovablePoint &p = (*found)[i];
        QCOMPARE(p.x, points[i]);
        QVERIFY(p.limit.lower <= values[i] && values[i] <= p.limit.upper);
        QVERIFY(p.limit.upper - p.limit.lower <= 1e-15);
        QVERIFY(p.lo <= p.x && p.x <= p.hi && p.lo < p.hi);
        QVERIFY(std::fmin(a, b) <= p.lo && p.hi <= std::fmax(a, b));
    }
}

void RemovableTest::maximaOfTheExtension_data()
{
    QTest::addColumn<QString>("f");
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<int>("order");
    QTest::addColumn<double>("maximum");
    // sin(x)/x = sum (-1)^j x^(2j)/(2j+1)!: f^(2j)(0) = (-1)^j/(2j+1),
    // the largest |f^(2j)| on [0; 1] (each is an alternating series
    // falling from its value at 0).
    QTest::newRow("sin(x)/x M2 = 1/3") << "sin(x)/x" << 0.0 << 1.0 << 2 << 1.0 / 3;
    QTest::newRow("sin(x)/x M4 = 1/5") << "sin(x)/x" << 0.0 << 1.0 << 4 << 1.0 / 5;
    QTest::newRow("sin(x)/x M6 = 1/7") << "sin(x)/x" << -1.0 << 1.0 << 6 << 1.0 / 7;
    // (1 - cos x)/x^2 = sum (-1)^j x^(2j)/(2j+2)!: f''(0) = -2/4! = -1/12.
    QTest::newRow("(1-cos x)/x^2 M2 = 1/12") << "(1-cos(x))/x^2" << -1.0 << 1.0 << 2 << 1.0 / 12;
    // x + 1: M1 = 1, M2 = 0.
    QTest::newRow("(x^2-1)/(x-1) M1 = 1") << "(x^2-1)/(x-1)" << 0.0 << 2.0 << 1 << 1.0;
    QTest::newRow("(x^2-1)/(x-1) M2 = 0") << "(x^2-1)/(x-1)" << 0.0 << 2.0 << 2 << 0.0;
}

void RemovableTest::maximaOfTheExtension()
{
    QFETCH(QString, f);
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(int, order);
    QFETCH(double, maximum);
    const Result<DerivativeMax> m = proveDerivativeMax(parsed(f), a, b, order);
    QVERIFY(m.ok());
    QVERIFY2(
        m->lower <= maximum * (1 + 1e-15) && maximum <= m->upper,
        qPrintable(QStringLiteral("[%1; %2]").arg(m->lower, 0, 'g', 17).arg(m->upper, 0, 'g', 17)));
    QVERIFY(m->upper <= maximum * (1 + 1e-5) + 1e-300);
}

void RemovableTest::refusals_data()
{
    QTest::addColumn<QString>("f");
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<Reason>("reason");
    QTest::addColumn<double>("place");
    // 0.1 has no double: sin(x - 0.1) at the double next to it is no exact 0.
    QTest::newRow("0/0 at 0.1, no double")
        << "sin(x-0.1)/(x-0.1)" << 0.0 << 1.0 << Reason::ZeroOverZero << 0.1;
    // Every term of x - x is 0 everywhere: nothing to divide by, from the
    // left end on.
    QTest::newRow("(x-x)/(x-x)") << "(x-x)/(x-x)" << -1.0 << 1.0 << Reason::ZeroOverZero << -1.0;
    // The numerator's zero is of lower order: 1/x near 0.
    QTest::newRow("sin(x)/x^2 is a pole") << "sin(x)/x^2" << -1.0 << 1.0 << Reason::Pole << 0.0;
    QTest::newRow("x/x^2 is a pole") << "x/x^2" << -1.0 << 1.0 << Reason::Pole << 0.0;
    QTest::newRow("sin(x)/(x-0.1) is a pole")
        << "sin(x)/(x-0.1)" << 0.0 << 1.0 << Reason::Pole << 0.1;
    QTest::newRow("1/x is a pole") << "1/x" << -1.0 << 1.0 << Reason::Pole << 0.0;
}

void RemovableTest::refusals()
{
    QFETCH(QString, f);
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(Reason, reason);
    QFETCH(double, place);
    const Program p = parsed(f);
    const Result<Enclosure> integral = certifiedIntegral(p, a, b);
    QVERIFY(!integral.ok());
    QCOMPARE(integral.reason(), reason);
    QVERIFY(integral.refusal().x);
    QVERIFY(std::fabs(*integral.refusal().x - place) <= 1e-9);
    const Result<DerivativeMax> m = proveDerivativeMax(p, a, b, 2);
    QVERIFY(!m.ok());
    QCOMPARE(m.reason(), reason);
}

void RemovableTest::wording_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("0/0 at a place") << QString::fromStdString(describeProofRefusal(
                                           {Reason::ZeroOverZero, {}, {}, 0.1}, 0.0, 1.0))
                                    << QStringLiteral("0/0 при x ≈ 0,1");
    QTest::newRow("improper at 0")
        << QString::fromStdString(describeProofRefusal({Reason::Improper, {}, {}, 0.0}, 0.0, 1.0))
        << QStringLiteral("f не ограничена при x → 0: интеграл несобственный");
    QTest::newRow("the limit taken") << QString::fromStdString(limitText("0", "1"))
                                     << QStringLiteral("в x = 0 взят предел f: 1");
    QTest::newRow("the calc's refusal")
        << QString::fromStdString(
               refusalSummary({Reason::ZeroOverZero, {}, {}, 0.1}, "sin(x-0.1)/(x-0.1)", 0, 1))
        << QStringLiteral("Интеграл не доказан: 0/0 при x ≈ 0,1\n");
}

void RemovableTest::wording()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(text, expected);
}

void RemovableTest::rulesSumTheLimit_data()
{
    QTest::addColumn<int>("rule");
    QTest::addColumn<long>("n");
    QTest::addColumn<double>("value");
    // h (1 + sum_{i=1}^{n-1} sin(ih)/(ih)), h = 1/n, in mpmath:
    // n = 10: 0.953758522626510352498531725032702...
    // n = 12: 0.952514146706869038067467292641889...
    QTest::newRow("left, n = 10") << int(RuleKind::Left) << 10L << 0.9537585226265104;
    QTest::newRow("left, n = 12") << int(RuleKind::Left) << 12L << 0.9525141467068690;
}

void RemovableTest::rulesSumTheLimit()
{
    QFETCH(int, rule);
    QFETCH(long, n);
    QFETCH(double, value);
    StudyInput input;
    input.program = parsed(QStringLiteral("sin(x)/x"));
    input.a = 0;
    input.b = 1;
    input.tolerance = 1e-6;
    input.methods.composite = {RuleKind(rule)};
    const Result<Study> study = studyIntegral(input);
    QVERIFY(study.ok());
    QCOMPARE(study->limits.size(), std::size_t(1));
    QCOMPARE(study->limits[0].x, 0.0);
    QCOMPARE(study->limits[0].value, 1.0);
    QVERIFY(study->rules[0].ok());
    const Result<RuleAtCount> at = ruleAtCount(*study, RuleKind(rule), n);
    QVERIFY(at.ok());
    QVERIFY2(std::fabs(at->value - value) <= 1e-15,
             qPrintable(QString::number(at->value, 'g', 17)));
    // The rule on exact nodes takes the same limit, and holds mpmath's sum.
    QVERIFY2(at->exact.ok(),
             at->exact.ok() ? "" : qPrintable(QString::number(int(at->exact.reason()))));
    QVERIFY(at->exact->value.lower <= value + 1e-16 && value - 1e-16 <= at->exact->value.upper);
    QVERIFY(at->exact->value.fineRad < 1e-25);
    // Without the limit the node at 0 is 0/0 in doubles.
    QVERIFY(!applyRule(RuleKind(rule), input.program, 0, 1, n).ok());
}

void RemovableTest::calcSaysSo()
{
    const Result<Answer> answer = answerFor("sin(x)/x", 0, 1, 12);
    QVERIFY(answer.ok());
    const QString json = QString::fromStdString(answerJson(*answer));
    QVERIFY2(json.contains(QStringLiteral("\"limits\": [{\"x\": 0, \"value\": 1}]")),
             qPrintable(json));
    const QString summary = QString::fromStdString(answerSummary(*answer));
    QVERIFY(summary.contains(QStringLiteral("\nв x = 0 взят предел f: 1\n")));
    // Every rule sums: the left one's node at 0 takes the limit.
    for (const Result<RuleAnswer> &rule : answer->rules)
        QVERIFY(rule.ok());
    const Result<Answer> none = answerFor("sin(x)", 0, 1, 12);
    QVERIFY(none.ok());
    QVERIFY(QString::fromStdString(answerJson(*none)).contains(QStringLiteral("\"limits\": []")));
}

void RemovableTest::improperIntegral_data()
{
    QTest::addColumn<QString>("f");
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<double>("reference");
    QTest::addColumn<double>("width");
    // 2 sqrt(x) from 0 to 1.
    QTest::newRow("1/sqrt(x) on [0; 1]: 2") << "1/sqrt(x)" << 0.0 << 1.0 << 2.0 << 1e-13;
    QTest::newRow("1/sqrt(x) on [1; 0]: -2") << "1/sqrt(x)" << 1.0 << 0.0 << -2.0 << 1e-13;
    // The point at the right end: -2 sqrt(1 - x).
    QTest::newRow("1/sqrt(1-x) on [0; 1]: 2") << "1/sqrt(1-x)" << 0.0 << 1.0 << 2.0 << 1e-13;
    // x^(-2/3), even: 2 * 3 x^(1/3) from 0 to 1.
    QTest::newRow("cbrt(x)/x on [-1; 1]: 6") << "cbrt(x)/x" << -1.0 << 1.0 << 6.0 << 1e-13;
    // 3 x^(1/3) from 0 to 1, the cube root of 0 being 0 and no pole.
    QTest::newRow("cbrt(x)/x on [0; 1]: 3") << "cbrt(x)/x" << 0.0 << 1.0 << 3.0 << 1e-13;
    // The same with a real power, whose exponent 1/3 three times is 1 exactly.
    QTest::newRow("x^(1/3)/x on [0; 1]: 3") << "x^(1/3)/x" << 0.0 << 1.0 << 3.0 << 1e-13;
    // 2 x^(1/2) from 0 to 1.
    QTest::newRow("x^0.5/x on [0; 1]: 2") << "x^0.5/x" << 0.0 << 1.0 << 2.0 << 1e-13;
    // mpmath in s = x^(1/3): quad(lambda s: 3*cbrt(sin(s**3)/s**3), [0, 1])
    // = 2.97611203010116455068879867050...
    QTest::newRow("sin(x)^(1/3)/x on [0; 1]")
        << "sin(x)^(1/3)/x" << 0.0 << 1.0 << 2.9761120301011646 << 1e-13;
    // Odd: the two sides cancel.
    QTest::newRow("1/cbrt(x) on [-1; 1]: 0") << "1/cbrt(x)" << -1.0 << 1.0 << 0.0 << 1e-13;
    // 3/2 x^(2/3) from -1 to 2: 3/2 (4^(1/3) - 1) = 0.881101577952299212127558458908...
    QTest::newRow("1/cbrt(x) on [-1; 2]")
        << "1/cbrt(x)" << -1.0 << 2.0 << 0.8811015779522992 << 1e-13;
    // mpmath: 0.620536603446762203616304846330...
    QTest::newRow("sin(x)/sqrt(x) on [0; 1]")
        << "sin(x)/sqrt(x)" << 0.0 << 1.0 << 0.6205366034467622 << 1e-13;
}

void RemovableTest::improperIntegral()
{
    integralThroughTheLimit();
}

void RemovableTest::improperRefusals_data()
{
    QTest::addColumn<QString>("f");
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<Reason>("reason");
    QTest::addColumn<QString>("words");
    // Integrable (-1), but no substitution here makes it a quotient.
    QTest::newRow("ln x: improper") << "ln(x)" << 0.0 << 1.0 << Reason::Improper
                                    << "f не ограничена при x → 0: интеграл несобственный";
    QTest::newRow("1/sqrt(|x|): improper") << "1/sqrt(abs(x))" << -1.0 << 1.0 << Reason::Improper
                                           << "f не ограничена при x → 0: интеграл несобственный";
    // Bounded (-1/4 and -4/9), not analytic at 0: the proofs leave them.
    QTest::newRow("x ln x: a singularity")
        << "x*ln(x)" << 0.0 << 1.0 << Reason::Singular << "особенность в x = 0";
    QTest::newRow("sqrt(x) ln x: a singularity")
        << "sqrt(x)*ln(x)" << 0.0 << 1.0 << Reason::Singular << "особенность в x = 0";
    // 1/x is no improper point the proofs take: a pole of order 1.
    QTest::newRow("1/x: a pole") << "1/x" << 0.0 << 1.0 << Reason::Pole << "полюс на конце x = 0";
    // A real power of a negative base has no value: x^(1/3)/x is 3 on
    // [0; 1] but nothing left of 0.
    QTest::newRow("x^(1/3)/x on [-1; 1]: undefined")
        << "x^(1/3)/x" << -1.0 << 1.0 << Reason::NotDefined << "f не определена при x ≈ 0";
    // Defined nowhere: no point to take, nothing unbounded at one.
    QTest::newRow("1/(x-x): no point of f")
        << "1/(x-x)" << 0.0 << 1.0 << Reason::Pole << "полюс на конце x = 0";
}

void RemovableTest::improperRefusals()
{
    QFETCH(QString, f);
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(Reason, reason);
    QFETCH(QString, words);
    const Result<Enclosure> integral = certifiedIntegral(parsed(f), a, b);
    QVERIFY(!integral.ok());
    QCOMPARE(integral.reason(), reason);
    QCOMPARE(QString::fromStdString(describeProofRefusal(integral.refusal(), a, b)), words);
}

void RemovableTest::improperRulesAtThePoint()
{
    StudyInput input;
    input.program = parsed(QStringLiteral("1/sqrt(x)"));
    input.a = 0;
    input.b = 1;
    input.tolerance = 1e-6;
    input.methods.composite = {RuleKind::Left, RuleKind::Right};
    const Result<Study> study = studyIntegral(input);
    QVERIFY(study.ok());
    QVERIFY(holds(study->integral, 2.0, 1e-13));
    // No limit to take: f has none at 0.
    QVERIFY(study->limits.empty());
    // The left rule values f at 0 and refuses there; the right one sums.
    QVERIFY(!study->rules[0].ok());
    QCOMPARE(study->rules[0].refusal().reason, Reason::NonFiniteResult);
    QVERIFY(study->rules[1].ok());
    // h sum_{i=1}^{12} 1/sqrt(i h), h = 1/12: 1.619809405689765491945352466622...
    const Result<RuleAtCount> right = ruleAtCount(*study, RuleKind::Right, 12);
    QVERIFY(right.ok());
    QVERIFY(std::fabs(right->value - 1.6198094056897655) <= 1e-15);
    // Every M_k is unbounded near 0.
    for (const Result<DerivativeMax> &m : study->maxima) {
        QVERIFY(!m.ok());
        QCOMPARE(m.reason(), Reason::NotSmooth);
        QVERIFY(m.refusal().x && std::fabs(*m.refusal().x) <= 1e-9);
    }
}

QTEST_GUILESS_MAIN(RemovableTest)
#include "removabletest.moc"
