// SPDX-License-Identifier: GPL-3.0-or-later
// The command-line companion: its printing keeps bounds bounds (directed
// decimal rounding against exact hand values), its answer against hand
// integrals of x² and against mpmath's values for the course set as printed
// in the JSON, and the program's exit statuses and objects. Every JSON it
// prints must be read by a strict reader, numbers past the doubles included.

#include "calc/answer.h"
#include "calc/answertext.h"
#include "expression/parser.h"
#include "proof/decimal.h"
#include "proof/refusaltext.h"
#include "study/ruletext.h"
#include "study/study.h"
#include "tests/benchmarkset.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

#include <mpfr.h>

#include <algorithm>
#include <cmath>
#include <limits>

using namespace kvadrolab;

namespace {

// A decimal text as the interval of 300-bit numbers around it: [down; up].
struct Exact
{
    Exact(const QString &text)
    {
        mpfr_init2(down, 300);
        mpfr_init2(up, 300);
        const QByteArray bytes = text.toLatin1();
        ok = mpfr_set_str(down, bytes.constData(), 10, MPFR_RNDD) != -1 &&
             mpfr_set_str(up, bytes.constData(), 10, MPFR_RNDU) != -1;
    }
    ~Exact()
    {
        mpfr_clear(down);
        mpfr_clear(up);
    }
    Exact(const Exact &) = delete;
    Exact &operator=(const Exact &) = delete;
    mpfr_t down, up;
    bool ok = false;
};

// Proven x <= y for two decimal texts.
bool atMost(const QString &x, const QString &y)
{
    Exact a(x), b(y);
    return a.ok && b.ok && mpfr_lessequal_p(a.up, b.down);
}

// Proven |reference - mid| <= rad for decimal texts.
bool within(const QString &reference, const QString &mid, const QString &rad)
{
    Exact r(reference), m(mid), d(rad);
    mpfr_t gap;
    mpfr_init2(gap, 300);
    mpfr_sub(gap, r.up, m.down, MPFR_RNDU);
    bool holds = mpfr_lessequal_p(gap, d.down);
    mpfr_sub(gap, m.up, r.down, MPFR_RNDU);
    holds = holds && mpfr_lessequal_p(gap, d.down);
    mpfr_clear(gap);
    return holds && r.ok && m.ok && d.ok;
}

// The program beside the test (the Windows build puts every program in one
// folder) or in calc/ beside tests/ (the Linux build's folders).
QString calcProgram()
{
#ifdef Q_OS_WIN
    const QString name = QStringLiteral("kvadrolab-calc.exe");
#else
    const QString name = QStringLiteral("kvadrolab-calc");
#endif
    const QString here = QCoreApplication::applicationDirPath();
    for (const QString &folder : {here, here + QStringLiteral("/../calc")}) {
        if (QFileInfo::exists(folder + QLatin1Char('/') + name))
            return folder + QLatin1Char('/') + name;
    }
    return here + QLatin1Char('/') + name;
}

struct Run
{
    int status = -1;
    QByteArray out, err;
};

Run runCalc(const QStringList &args)
{
    QProcess p;
    p.start(calcProgram(), args);
    Run r;
    if (!p.waitForFinished(60000))
        return r;
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

// The JSON numbers as the text printed them: QJsonDocument would round
// them to doubles, which is what outward printing must not be judged by.
QString rawNumber(const QByteArray &json, const QByteArray &path)
{
    // path: "integral.mid" or "M2.lower": find the key after its parent.
    const QList<QByteArray> keys = path.split('.');
    qsizetype at = 0;
    for (const QByteArray &key : keys) {
        at = json.indexOf("\"" + key + "\": ", at);
        if (at < 0)
            return {};
        at += key.size() + 4;
    }
    qsizetype end = at;
    while (end < json.size() && json[end] != ',' && json[end] != '}')
        ++end;
    return QString::fromLatin1(json.mid(at, end - at));
}

// Every number in a JSON value is a double: a reader that takes 1e400 as
// infinity must not pass it either.
bool onlyDoubles(const QJsonValue &value)
{
    if (value.isDouble())
        return std::isfinite(value.toDouble());
    if (value.isObject()) {
        const QJsonObject object = value.toObject();
        return std::all_of(object.begin(), object.end(),
                           [](const QJsonValue &v) { return onlyDoubles(v); });
    }
    if (value.isArray()) {
        const QJsonArray array = value.toArray();
        return std::all_of(array.begin(), array.end(),
                           [](const QJsonValue &v) { return onlyDoubles(v); });
    }
    return true;
}

// Why the text is not one strict JSON object whose numbers are all
// doubles, or empty when it is. QJsonDocument follows the grammar: no NaN,
// Infinity, "0.@Inf@" or trailing garbage.
QString strictJsonError(const QByteArray &text, QJsonObject *object = nullptr)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError)
        return error.errorString() + QStringLiteral(" at ") + QString::number(error.offset);
    if (!doc.isObject())
        return QStringLiteral("not an object");
    if (!onlyDoubles(doc.object()))
        return QStringLiteral("a number past the doubles");
    if (object)
        *object = doc.object();
    return {};
}

// Every JSON the tests obtain goes through here: the object, or a failure
// quoting the text. The caller returns on false.
bool strictJson(const QByteArray &text, QJsonObject &object)
{
    const QString error = strictJsonError(text, &object);
    if (error.isEmpty())
        return true;
    QTest::qFail(qPrintable(QStringLiteral("not strict JSON (") + error + QStringLiteral("): ") +
                            QString::fromUtf8(text)),
                 __FILE__, __LINE__);
    return false;
}

// The largest double as a decimal, for the hand values to be judged against.
const QString kLargestDouble = QStringLiteral("1.7976931348623157e308");

// The counts the calc is held to the study window at: one that few rules
// take, one every rule takes, a long one that 3/8 refuses.
const long kComparedCounts[] = {1, 4, 12, 1000};

// The study as the study window runs it by default: ε = 0,000001, the
// trapezoid and Simpson's rules, Romberg and adaptive Simpson unchecked.
// Only its integral, its M_k and its rule at one n are compared.
Result<Study> windowStudy(const QString &f, double a, double b)
{
    Result<Program> program = parseExpression(f.toStdString());
    if (!program)
        return program.refusal();
    StudyInput input;
    input.program = std::move(program).value();
    input.a = a;
    input.b = b;
    input.tolerance = 1e-6;
    input.methods.composite = {RuleKind::Trapezoid, RuleKind::Simpson};
    return studyIntegral(input);
}

// A rule at n as the study holds it: the window's own ruleAtCount up to its
// table's limit, the study's rule at any count beyond.
struct StudiedRule
{
    double value = 0, error = 0;
    Result<double> bound = Refusal{Reason::NotProven};
};

Result<StudiedRule> studiedRule(const Study &study, RuleKind kind, long n)
{
    if (n <= ruleTableCountLimit) {
        const Result<RuleAtCount> r = ruleAtCount(study, kind, n);
        if (!r)
            return r.refusal();
        return StudiedRule{r->value, r->error, r->bound};
    }
    const Result<RuleAtAnyCount> r = ruleAtAnyCount(study, kind, n);
    if (!r)
        return r.refusal();
    return StudiedRule{r->value, r->error, r->bound};
}

QString digits(double v, Rounding rounding)
{
    return std::isfinite(v) ? QString::fromStdString(decimalText(v, 17, rounding))
                            : QStringLiteral("null");
}

// The calc's JSON for n against the study's numbers, each printed by the
// number writer with the direction the README gives it (bounds outward).
// Fails the current test with `what` and the key where they part.
void compareWithStudy(const QByteArray &json, const Study &study, long n, const QString &what)
{
    QJsonObject o;
    if (!strictJson(json, o))
        return;
    const auto same = [&](const QByteArray &path, const QString &expected) {
        const QString got = rawNumber(json, path);
        if (got != expected)
            QTest::qFail(qPrintable(what + QStringLiteral(" n=") + QString::number(n) +
                                    QLatin1Char(' ') + QString::fromLatin1(path) +
                                    QStringLiteral(": calc ") + got + QStringLiteral(", study ") +
                                    expected),
                         __FILE__, __LINE__);
    };
    const auto sameText = [&](const QString &key, const QString &got, const std::string &expected) {
        if (got != QString::fromStdString(expected))
            QTest::qFail(qPrintable(what + QStringLiteral(" n=") + QString::number(n) +
                                    QLatin1Char(' ') + key + QStringLiteral(": calc ") + got +
                                    QStringLiteral(", study ") + QString::fromStdString(expected)),
                         __FILE__, __LINE__);
    };

    const Enclosure &e = study.integral;
    const std::string mid = decimalText(e.mid, 17, Rounding::Nearest);
    same("integral.mid", QString::fromStdString(mid));
    same("integral.rad", QString::fromStdString(radiusText(mid, e.lower, e.upper, 17)));

    for (const int order : studyOrders) {
        const QByteArray name = "M" + QByteArray::number(order);
        const Result<DerivativeMax> &m = maximumOfOrder(study, order);
        const QJsonObject got = o.value(QLatin1String(name)).toObject();
        if (m) {
            same(name + ".lower", digits(m->lower, Rounding::Down));
            same(name + ".upper", digits(m->upper, Rounding::Up));
            same(name + ".x", digits(m->at, Rounding::Nearest));
        } else if (m.reason() == Reason::NonFiniteResult) {
            // The study keeps no M_k past the doubles; the calc prints its
            // lower end and says where the upper lies.
            sameText(QString::fromLatin1(name), got.value("beyond").toString(), "> 1.8e308");
        } else {
            sameText(QString::fromLatin1(name), got.value("refused").toString(),
                     proofReasonText(m.reason(), order));
        }
    }

    const QJsonObject rules = o.value("rules").toObject();
    for (const RuleKind kind : allRules) {
        const QByteArray name = QByteArray("rules.") + ruleInfo(kind).name;
        const QJsonObject got = rules.value(QLatin1String(ruleInfo(kind).name)).toObject();
        const Result<StudiedRule> r = studiedRule(study, kind, n);
        if (!r) {
            sameText(QString::fromLatin1(name), got.value("refused").toString(),
                     ruleRefusalText(kind, r.refusal()));
            continue;
        }
        same(name + ".n", QString::number(n));
        same(name + ".value", digits(r->value, Rounding::Nearest));
        same(name + ".error", digits(r->error, Rounding::Nearest));
        if (r->bound)
            same(name + ".bound", digits(*r->bound, Rounding::Up));
        else
            sameText(QString::fromLatin1(name) + QStringLiteral(".bound"),
                     got.value("bound").toObject().value("refused").toString(),
                     proofReasonText(r->bound.reason(), ruleInfo(kind).derivative));
    }
}

// A decimal text (a comma or a point) against the exact fraction p/q: the
// text is at least p/q and at most `units` of its `significant`-th digit
// above it.
bool roundedUpFrom(QString text, long p, long q, int significant)
{
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    Exact shown(text);
    mpfr_t truth, top, unit;
    mpfr_inits2(300, truth, top, unit, static_cast<mpfr_ptr>(nullptr));
    mpfr_set_si(truth, p, MPFR_RNDN);
    mpfr_div_si(truth, truth, q, MPFR_RNDD);
    // One unit of the significant-th digit of p/q, exactly: 10^(leading - significant + 1).
    const long leading = std::lround(std::floor(std::log10(double(p) / double(q))));
    mpfr_set_si(unit, 10, MPFR_RNDN);
    mpfr_pow_si(unit, unit, leading - (significant - 1), MPFR_RNDU);
    mpfr_set_si(top, p, MPFR_RNDN);
    mpfr_div_si(top, top, q, MPFR_RNDU);
    mpfr_add(top, top, unit, MPFR_RNDU);
    const bool holds =
        shown.ok && mpfr_greaterequal_p(shown.down, truth) && mpfr_lessequal_p(shown.up, top);
    mpfr_clears(truth, top, unit, static_cast<mpfr_ptr>(nullptr));
    return holds;
}

} // namespace

class CalcTest : public QObject
{
    Q_OBJECT

private slots:
    void decimalRounding_data();
    void decimalRounding();
    void radiusHoldsTheShortenedMidpoint();
    void provenDigits_data();
    void provenDigits();
    void places_data();
    void places();
    void squareByHand();
    void placesOfTheMaxima_data();
    void placesOfTheMaxima();
    void reversedInterval();
    void constantWholeExponent_data();
    void constantWholeExponent();
    void refusalsInTheirPlace();
    void courseSetAsPrinted();
    void hostileFunctionsAnswer_data();
    void hostileFunctionsAnswer();
    void largestCountAnswers();
    void program_data();
    void program();
    void poleAtATypedEnd_data();
    void poleAtATypedEnd();
    void strictReaderRefuses_data();
    void strictReaderRefuses();
    void beyondTheDoubles_data();
    void beyondTheDoubles();
    void errorBeyondTheDoubles_data();
    void errorBeyondTheDoubles();
    void writerPrintsOnlyDoubles();
    void sameAsTheStudy_data();
    void sameAsTheStudy();
    void sameAsTheStudyPastTheTable();
    void boundsByHand_data();
    void boundsByHand();
    void exactRulesByHand_data();
    void exactRulesByHand();
    void exactPastItsLimit();
};

void CalcTest::decimalRounding_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("digits");
    QTest::addColumn<QString>("down");
    QTest::addColumn<QString>("nearest");
    QTest::addColumn<QString>("up");
    // 0.1 is 0.1000000000000000055511151231257827... as a double.
    QTest::newRow("0.1") << 0.1 << 3 << "0.1"
                         << "0.1"
                         << "0.101";
    QTest::newRow("0.1 at 17") << 0.1 << 17 << "0.1"
                               << "0.10000000000000001"
                               << "0.10000000000000001";
    QTest::newRow("1/3") << 1.0 / 3 << 5 << "0.33333"
                         << "0.33333"
                         << "0.33334";
    QTest::newRow("-1/3") << -1.0 / 3 << 5 << "-0.33334"
                          << "-0.33333"
                          << "-0.33333";
    QTest::newRow("exact 108") << 108.0 << 17 << "108"
                               << "108"
                               << "108";
    // 1.25e-7 is 1.2499999999999999...e-7 as a double, 1.5e-5 is 1.50000000000000004e-5.
    QTest::newRow("small") << 1.25e-7 << 3 << "1.24e-07"
                           << "1.25e-07"
                           << "1.25e-07";
    QTest::newRow("2/3e-7") << 2.0 / 3e7 << 2 << "6.6e-08"
                            << "6.7e-08"
                            << "6.7e-08";
    QTest::newRow("large") << 3e20 << 17 << "3e+20"
                           << "3e+20"
                           << "3e+20";
    QTest::newRow("plain to 1e16") << 1e16 << 17 << "10000000000000000"
                                   << "10000000000000000"
                                   << "10000000000000000";
    QTest::newRow("1e-5 plain") << 1.5e-5 << 2 << "0.000015"
                                << "0.000015"
                                << "0.000016";
    QTest::newRow("zero") << 0.0 << 17 << "0"
                          << "0"
                          << "0";
}

void CalcTest::decimalRounding()
{
    QFETCH(double, value);
    QFETCH(int, digits);
    QFETCH(QString, down);
    QFETCH(QString, nearest);
    QFETCH(QString, up);
    QCOMPARE(QString::fromStdString(decimalText(value, digits, Rounding::Down)), down);
    QCOMPARE(QString::fromStdString(decimalText(value, digits, Rounding::Nearest)), nearest);
    QCOMPARE(QString::fromStdString(decimalText(value, digits, Rounding::Up)), up);
}

void CalcTest::radiusHoldsTheShortenedMidpoint()
{
    // "0.1" misses the double 0.1 by 5.551115123125783e-18.
    QCOMPARE(QString::fromStdString(radiusText("0.1", 0.1, 0.1, 2)), QStringLiteral("5.6e-18"));
    QCOMPARE(QString::fromStdString(radiusText("0.5", 0.25, 1.0, 17)), QStringLiteral("0.5"));
    // A midpoint off the enclosure still gets a radius reaching both ends.
    QCOMPARE(QString::fromStdString(radiusText("2", 0.5, 1.0, 3)), QStringLiteral("1.5"));
    // For random enclosures the printed pair holds both ends, and is no
    // wider than one unit in the radius's last digit beyond the exact need.
    for (int i = 0; i < 200; ++i) {
        const double lower = std::ldexp(std::sin(i * 1.7), i % 40 - 20);
        const double upper = lower + std::ldexp(std::fabs(std::cos(i * 0.3)), i % 30 - 60);
        const std::string mid = decimalText((lower + upper) / 2, 17, Rounding::Nearest);
        const QString rad = QString::fromStdString(radiusText(mid, lower, upper, 17));
        const QString m = QString::fromStdString(mid);
        QVERIFY2(within(QString::number(lower, 'g', 40), m, rad), qPrintable(m + " ± " + rad));
        QVERIFY2(within(QString::number(upper, 'g', 40), m, rad), qPrintable(m + " ± " + rad));
    }
}

void CalcTest::provenDigits_data()
{
    QTest::addColumn<double>("lower");
    QTest::addColumn<double>("upper");
    QTest::addColumn<QString>("digits");
    // Each within one unit of its last digit of both ends, and one digit
    // more would not be (worked by hand).
    QTest::newRow("M4 of the course f") << 108.0 << 108.00000000005221 << "108.000000000";
    QTest::newRow("M2 of the course f")
        << 0.24397503069298448 << 0.24397503069313731 << "0.243975030693";
    QTest::newRow("scientific above 1e12")
        << 6.9368513523499775e40 << 6.936851352351699e40 << "6.93685135235e+40";
    QTest::newRow("small") << -1.2345678901234e-7 << -1.2345678901233e-7 << "-1.23456789012e-07";
    QTest::newRow("a point") << 0.5 << 0.5 << "0.500000000000";
    QTest::newRow("no digit certain") << 1.0 << 100.0 << "";
}

void CalcTest::provenDigits()
{
    QFETCH(double, lower);
    QFETCH(double, upper);
    QFETCH(QString, digits);
    QCOMPARE(QString::fromStdString(provenDigitsText(lower, upper, 12)), digits);
}

void CalcTest::places_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<QString>("place");
    QTest::newRow("pole of tan near pi/2") << 1.5707963267923333 << 0.0 << 2.0 << "1.570796327";
    QTest::newRow("pole at 0 of 1/x") << -5.8207660913467407e-11 << -1.0 << 1.0 << "0";
    QTest::newRow("kink of |x-2|") << 1.9999999999995453 << 0.0 << 3.0 << "2";
    QTest::newRow("far from 0") << 1234.56789012345 << 1000.0 << 2000.0 << "1234.567890";
}

void CalcTest::places()
{
    QFETCH(double, x);
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(QString, place);
    QString got = QString::fromStdString(placeDecimal(x, a, b));
    QCOMPARE(got.toDouble(), place.toDouble());
    QVERIFY2(got.size() <= place.size() + 1, qPrintable(got));
}

void CalcTest::squareByHand()
{
    const Result<Answer> answer = answerFor("x^2", 0, 1, 12);
    QVERIFY(answer);
    QVERIFY(std::fabs(answer->integral.mid - 1.0 / 3) <= answer->integral.rad);
    // Sums of (i/12)^2 / 12 by hand: sum i^2 for i < 12 is 506.
    const double expected[] = {506.0 / 1728, 650.0 / 1728, 575.0 / 1728, 289.0 / 864, 1.0 / 3,
                               1.0 / 3,      1.0 / 3,      1.0 / 3,      1.0 / 3};
    for (std::size_t i = 0; i < allRules.size(); ++i) {
        const Result<RuleAnswer> &rule = answer->rules[i];
        QVERIFY2(rule, ruleInfo(allRules[i]).name);
        QVERIFY2(std::fabs(rule->value - expected[i]) <= 4e-16, ruleInfo(allRules[i]).name);
        QVERIFY(rule->bound);
        // The exact error never exceeds the bound; the bound of the rules
        // exact on quadratics is 0 or (for Simpson-like) proportional to M4 = 0.
        QVERIFY2(std::fabs(expected[i] - 1.0 / 3) <= *rule->bound + 1e-16,
                 ruleInfo(allRules[i]).name);
    }
    // f' = 2x and f'' = 2: M1 = 2 at 1, M2 = 2, M4 = M6 = 0.
    QVERIFY(answer->maxima[0] && answer->maxima[0]->lower <= 2 && answer->maxima[0]->upper >= 2);
    QCOMPARE(answer->maxima[0]->at, 1.0);
    QVERIFY(answer->maxima[1]->lower <= 2 && answer->maxima[1]->upper >= 2);
    QCOMPARE(answer->maxima[2]->upper, 0.0);
    // The left and right bounds (b-a)^2 M1 / (2n) = 1/12, trapezoid M2 / (12 n^2) = 1/864.
    QVERIFY(*answer->rules[0]->bound >= 1.0 / 12 && *answer->rules[0]->bound < 1.0 / 12 * 1.0001);
    QVERIFY(*answer->rules[3]->bound >= 1.0 / 864 && *answer->rules[3]->bound < 1.0 / 864 * 1.0001);
}

void CalcTest::placesOfTheMaxima_data()
{
    QTest::addColumn<QString>("f");
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    // Where M1, M2, M4, M6 are reached as the summary prints it; empty where
    // every point is one.
    QTest::addColumn<QStringList>("places");
    // Hand: (x^3)' = 3x^2 and (x^3)'' = 6x are largest in size at the end
    // farther from 0; (x^3)'''' = (x^3)^(6) = x'' = 0 everywhere, reached
    // first at the left end (never at 0, outside the interval); x' = 1
    // everywhere.
    QTest::newRow("x^3 on [1; 2]") << "x^3" << 1.0 << 2.0 << QStringList{"2", "2", "1", "1"};
    QTest::newRow("x^3 on [2; 1]") << "x^3" << 2.0 << 1.0 << QStringList{"2", "2", "1", "1"};
    QTest::newRow("x^3 on [-3; -2]")
        << "x^3" << -3.0 << -2.0 << QStringList{"-3", "-3", "-3", "-3"};
    QTest::newRow("x on [1; 2]") << "x" << 1.0 << 2.0 << QStringList{"", "1", "1", "1"};
}

void CalcTest::placesOfTheMaxima()
{
    QFETCH(QString, f);
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(QStringList, places);
    const Result<Answer> answer = answerFor(f.toStdString(), a, b, 12);
    QVERIFY(answer);
    const QStringList lines = QString::fromStdString(answerSummary(*answer)).split('\n');
    for (std::size_t i = 0; i < studyOrders.size(); ++i) {
        const Result<DerivativeMax> &m = answer->maxima[i];
        QVERIFY(m);
        QVERIFY(std::min(a, b) <= m->at && m->at <= std::max(a, b));
        const QString label = QString("M%1 = ").arg(studyOrders[i]);
        const auto line = std::find_if(lines.begin(), lines.end(),
                                       [&](const QString &l) { return l.startsWith(label); });
        QVERIFY2(line != lines.end(), qPrintable(label));
        const QString place = places[qsizetype(i)];
        if (!place.isEmpty())
            QVERIFY2(line->endsWith("достигается при x ≈ " + place), qPrintable(*line));
    }
}

void CalcTest::reversedInterval()
{
    // From 1 to 0 with h = -1/12 the left rule takes 1, 11/12, ..., 1/12.
    const Result<Answer> answer = answerFor("x^2", 1, 0, 12);
    QVERIFY(answer);
    QVERIFY(std::fabs(answer->integral.mid + 1.0 / 3) <= answer->integral.rad);
    QVERIFY(answer->integral.lower <= -1.0 / 3 && -1.0 / 3 <= answer->integral.upper);
    QVERIFY(std::fabs(answer->rules[0]->value + 650.0 / 1728) <= 4e-16);
    QVERIFY(std::fabs(answer->rules[1]->value + 506.0 / 1728) <= 4e-16);
    QVERIFY(std::fabs(answer->rules[3]->value + 289.0 / 864) <= 4e-16);
}

void CalcTest::constantWholeExponent_data()
{
    QTest::addColumn<QString>("f");
    QTest::newRow("x^2,0") << "x^2,0";
    QTest::newRow("x^(4/2)") << "x^(4/2)";
    QTest::newRow("x^(1+1)") << "x^(1+1)";
    QTest::newRow("x^2e0") << "x^2e0";
}

// A constant whole exponent is a power by multiplication, so a negative x is
// no trouble: the integral of x^2 over [-1; 1] is 2/3 and M2 = 2, M4 = 0.
void CalcTest::constantWholeExponent()
{
    QFETCH(QString, f);
    const Result<Answer> answer = answerFor(f.toStdString(), -1, 1, 12);
    QVERIFY(answer);
    QVERIFY(std::fabs(answer->integral.mid - 2.0 / 3) <= answer->integral.rad);
    QVERIFY(answer->maxima[1] && answer->maxima[1]->lower <= 2 && answer->maxima[1]->upper >= 2);
    QCOMPARE(answer->maxima[2]->upper, 0.0);
}

void CalcTest::refusalsInTheirPlace()
{
    // The integral of sqrt is proven; no derivative of it is bounded at 0.
    const Result<Answer> root = answerFor("sqrt(x)", 0, 1, 12);
    QVERIFY(root);
    QVERIFY(std::fabs(root->integral.mid - 2.0 / 3) <= root->integral.rad);
    for (const Result<DerivativeMax> &m : root->maxima) {
        QVERIFY(!m);
        QCOMPARE(placeDecimal(*m.refusal().x, 0, 1), std::string("0"));
    }
    // Its rules still have values; their bounds are refused with the M_k.
    QVERIFY(root->rules[3] && !root->rules[3]->bound);
    QCOMPARE(root->rules[3]->bound.reason(), Reason::NotSmooth);

    // An n that does not fit a rule refuses that rule alone.
    const Result<Answer> odd = answerFor("x^2", 0, 1, 5);
    QVERIFY(odd);
    QCOMPARE(odd->rules[4].reason(), Reason::OddCount);
    QCOMPARE(QString::fromStdString(ruleRefusalText(RuleKind::Simpson38, odd->rules[5].refusal())),
             QStringLiteral("n должно делиться на 3"));
    QCOMPARE(QString::fromStdString(ruleRefusalText(RuleKind::Boole, odd->rules[6].refusal())),
             QStringLiteral("n должно делиться на 4"));
    QVERIFY(odd->rules[3] && odd->rules[7] && odd->rules[8]);

    QCOMPARE(answerFor("x", 2, 2, 12).reason(), Reason::EmptyInterval);
    QCOMPARE(answerFor("1/x", -1, 1, 12).reason(), Reason::Pole);
    QCOMPARE(answerFor("ln(x)", -1, 1, 12).reason(), Reason::NotDefined);
    QCOMPARE(answerFor("log(x)", 1, 2, 12).reason(), Reason::AmbiguousLog);
    // A fractional exponent is exp(b ln x): x^0,5 is undefined left of 0.
    QCOMPARE(answerFor("x^0,5", -1, 1, 12).reason(), Reason::NotDefined);
}

// Every course integrand, answered and printed: the printed integral
// mid ± rad and every printed [lower; upper] of an M_k hold mpmath's value,
// judged on the decimal texts themselves.
void CalcTest::courseSetAsPrinted()
{
    const QList<QStringList> set = testsupport::benchmarkSetRows();
    QVERIFY(!set.isEmpty());
    int answered = 0;
    for (const QStringList &c : set) {
        QVERIFY(c.size() >= 15);
        if (!c[13].isEmpty())
            continue; // the rows the engine refuses have their own test
        const Result<Answer> answer =
            answerFor(c[1].toStdString(), c[2].toDouble(), c[3].toDouble(), 12);
        QVERIFY2(answer, qPrintable(c[0]));
        const QByteArray json = QByteArray::fromStdString(answerJson(*answer));
        QJsonObject parsed;
        if (!strictJson(json, parsed))
            return;
        QVERIFY2(within(c[4], rawNumber(json, "integral.mid"), rawNumber(json, "integral.rad")),
                 qPrintable(c[0] + QLatin1Char(' ') + QString::fromUtf8(json.left(200))));
        const char *names[] = {"M1", "M2", "M4", "M6"};
        for (int k = 0; k < 4; ++k) {
            const QString reference = c[5 + 2 * k];
            const QByteArray name(names[k]);
            if (reference.isEmpty() || !answer->maxima[static_cast<std::size_t>(k)])
                continue;
            QVERIFY2(atMost(rawNumber(json, name + ".lower"), reference) &&
                         atMost(reference, rawNumber(json, name + ".upper")),
                     qPrintable(c[0] + QLatin1Char(' ') + QString::fromLatin1(name)));
        }
        ++answered;
    }
    QVERIFY(answered >= 30);
}

void CalcTest::hostileFunctionsAnswer_data()
{
    QTest::addColumn<QString>("f");
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<bool>("proven");
    QTest::newRow("sin(1/x) near 0") << "sin(1/x)" << 0.001 << 1.0 << true;
    QTest::newRow("x^1000000") << "x^1000000" << 0.0 << 1.0 << true;
    QTest::newRow("exp(exp(exp(x)))") << "exp(exp(exp(x)))" << 0.0 << 1.0 << true;
    // e^(e^(e^3)) has no double: not provable as one.
    QTest::newRow("exp(exp(exp(x))) to 3") << "exp(exp(exp(x)))" << 0.0 << 3.0 << false;
}

// The limits are counts of operations: these answer, or are refused as not
// proven, within them (their times are bench_limits').
void CalcTest::hostileFunctionsAnswer()
{
    QFETCH(QString, f);
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(bool, proven);
    const Result<Answer> answer = answerFor(f.toStdString(), a, b, 12);
    QCOMPARE(bool(answer), proven);
    if (!proven)
        QVERIFY2(answer.reason() == Reason::NotProven || answer.reason() == Reason::WorkLimit,
                 qPrintable(QString::number(int(answer.reason()))));
}

// Every rule at the largest n for an f of five functions: each sum is
// within its work limit and lands on the integral, to the rule's bound and
// the rounding of ten million terms.
void CalcTest::largestCountAnswers()
{
    const std::string f = "sin(x)*exp(-x)+cos(x)/(1+x^2)+ln(2+x)*atan(x)";
    const Result<Answer> answer = answerFor(f, 0, 1, ruleCountLimit);
    QVERIFY(answer.ok());
    // mpmath: quad(f, [0, 1]) at 30 digits.
    const double integral = 1.3546388823986213305;
    QVERIFY(answer->integral.lower <= integral && integral <= answer->integral.upper);
    for (const Result<RuleAnswer> &rule : answer->rules) {
        if (!rule) {
            // 3/8 takes multiples of 3 only.
            QCOMPARE(rule.reason(), Reason::CountNotMultiple);
            continue;
        }
        QVERIFY(ruleWork(rule->kind, parseExpression(f).value(), ruleCountLimit) <= ruleWorkLimit);
        QVERIFY(rule->bound.ok());
        QVERIFY2(std::fabs(rule->value - integral) <= *rule->bound + 1e-12,
                 qPrintable(QString::fromLatin1(ruleInfo(rule->kind).name)));
    }
}

void CalcTest::program_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("refused");
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("position");
    QTest::newRow("answer") << QStringList{"(ln(x)/x)^3", "1", "6", "--json"} << 0 << ""
                            << ""
                            << "";
    QTest::newRow("decimal comma, --n=")
        << QStringList{"x^2", "0,5", "1,5", "--n=6", "--json"} << 0 << ""
        << ""
        << "";
    QTest::newRow("pi as an end") << QStringList{"sin(x)", "0", "pi", "--json"} << 0 << ""
                                  << ""
                                  << "";
    QTest::newRow("an end with x") << QStringList{"x", "0", "2x"} << 1 << ""
                                   << ""
                                   << "";
    QTest::newRow("f starting with a minus") << QStringList{"-x^2", "0", "1", "--json"} << 0 << ""
                                             << ""
                                             << "";
    QTest::newRow("empty f") << QStringList{"", "0", "1", "--json"} << 2 << "Пустое выражение"
                             << "null"
                             << "1";
    QTest::newRow("pole") << QStringList{"1/x", "-1", "1", "--json"} << 2 << "полюс"
                          << "0"
                          << "2";
    // Hand: the poles lie at the ends typed, which their doubles pass (0.1
    // and pi/2 round up, 1/3 down).
    QTest::newRow("a pole at the end 0.1")
        << QStringList{"1/(x-0.1)", "0.1", "1", "--json"} << 2 << "полюс"
        << "0.1"
        << "2";
    QTest::newRow("a pole at the end pi/2")
        << QStringList{"tg(x)", "0", "pi/2", "--json"} << 2 << "полюс"
        << "1.5708"
        << "1";
    QTest::newRow("a pole at the end 1/3")
        << QStringList{"1/(x-1/3)", "1/3", "1", "--json"} << 2 << "полюс"
        << "0.333333"
        << "2";
    QTest::newRow("undefined") << QStringList{"ln(x)", "-1", "1", "--json"} << 2
                               << "f не определена"
                               << "0"
                               << "1";
    QTest::newRow("log") << QStringList{"log(x)", "1", "2", "--json"} << 2
                         << "log неоднозначен: ln или lg"
                         << "null"
                         << "1";
    QTest::newRow("Pi in capitals")
        << QStringList{"sin(Pi*x)", "0", "1", "--json"} << 2 << "Имена пишутся строчными: pi"
        << "null"
        << "5";
    QTest::newRow("Cyrillic х") << QStringList{"2х", "0", "1", "--json"} << 2
                                << "Кириллическая „х“; переменная — латинская x"
                                << "null"
                                << "2";
    QTest::newRow("a tab") << QStringList{"x\t+1", "0", "1", "--json"} << 2
                           << "Управляющий символ в позиции 2"
                           << "null"
                           << "2";
    // e^(e^(e^3)) has no ball Arb can bound: the integrator spends its work.
    QTest::newRow("work limit") << QStringList{"exp(exp(exp(x)))", "0", "3", "--json"} << 2
                                << "слишком много вычислений"
                                << "on [0;3]"
                                << "null";
    QTest::newRow("A not a number") << QStringList{"x", "a", "1"} << 1 << ""
                                    << ""
                                    << "";
    QTest::newRow("B missing") << QStringList{"x", "0"} << 1 << ""
                               << ""
                               << "";
    QTest::newRow("unknown option") << QStringList{"x", "0", "1", "--xml"} << 1 << ""
                                    << ""
                                    << "";
    QTest::newRow("n not whole") << QStringList{"x", "0", "1", "--n", "2.5"} << 1 << ""
                                 << ""
                                 << "";
    // Hostile inputs: each answer or refusal is still one strict object.
    QTest::newRow("typo") << QStringList{"sin(x", "0", "1", "--json"} << 2
                          << "Не закрыта скобка, открытая в позиции 4"
                          << "null"
                          << "4";
    QTest::newRow("a = b") << QStringList{"x", "1", "1", "--json"} << 2 << "пустой отрезок: a = b"
                           << "null"
                           << "null";
    // b - a = 2e308 is past the largest double, 1.798e308.
    QTest::newRow("huge ends") << QStringList{"x", "-1e308", "1e308", "--json"} << 2
                               << "значение вне диапазона чисел double"
                               << "null"
                               << "null";
    // The integral 1e308 * 2^2 / 2 = 2e308, and e^710 - 1 = 2.2e308, are past it too.
    QTest::newRow("1e308*x to 2") << QStringList{"1e308*x", "0", "2", "--json"} << 2
                                  << "значение вне диапазона чисел double"
                                  << "null"
                                  << "null";
    QTest::newRow("exp to 710") << QStringList{"exp(x)", "0", "710", "--json"} << 2
                                << "значение вне диапазона чисел double"
                                << "null"
                                << "null";
    // 5e307 and M1 = 1e308 are doubles.
    QTest::newRow("1e308*x") << QStringList{"1e308*x", "0", "1", "--json"} << 0 << ""
                             << ""
                             << "";
    // h = 1e-200 / 12: the bounds of h^1 and h^2 underflow and are refused in place.
    QTest::newRow("tiny interval") << QStringList{"x^2", "0", "1e-200", "--json"} << 0 << ""
                                   << ""
                                   << "";
}

void CalcTest::poleAtATypedEnd_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("words");
    QTest::newRow("1/(x-0.1) on [0.1; 1]")
        << QStringList{"1/(x-0.1)", "0,1", "1"} << "Интеграл не доказан: полюс на конце x = 0,1\n";
    QTest::newRow("tg x on [pi/2; 0]") << QStringList{"tg(x)", "pi/2", "0"}
                                       << "Интеграл не доказан: полюс на конце x = 1,57079632679\n";
}

void CalcTest::poleAtATypedEnd()
{
    QFETCH(QStringList, args);
    QFETCH(QString, words);
    const Run run = runCalc(args);
    QCOMPARE(run.status, 2);
    QVERIFY(run.out.isEmpty());
    QCOMPARE(QString::fromUtf8(run.err), words);
}

void CalcTest::program()
{
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, refused);
    QFETCH(QString, where);
    QFETCH(QString, position);
    const Run run = runCalc(args);
    QCOMPARE(run.status, status);
    if (status == 1) {
        QVERIFY(run.out.isEmpty());
        QVERIFY(run.err.contains("kvadrolab-calc F A B [--n N] [--json]"));
        return;
    }
    QJsonObject o;
    if (!strictJson(run.out, o))
        return;
    QVERIFY(run.out.endsWith("}\n") && run.out.count('\n') == 1);
    if (status == 2) {
        QCOMPARE(o.keys(), (QStringList{"position", "refused", "where"}));
        QCOMPARE(o.value("refused").toString(), refused);
        // "on [a; b]": a place the work reached, somewhere within the interval.
        if (where.startsWith(QLatin1String("on ["))) {
            const QStringList ends = where.mid(4, where.size() - 5).split(QLatin1Char(';'));
            const double x = o.value("where").toDouble(-1e300);
            QVERIFY2(ends[0].toDouble() <= x && x <= ends[1].toDouble(), qPrintable(where));
        } else {
            QCOMPARE(o.value("where").isNull() ? QStringLiteral("null")
                                               : QString::number(o.value("where").toDouble()),
                     where);
        }
        QCOMPARE(o.value("position").isNull() ? QStringLiteral("null")
                                              : QString::number(o.value("position").toInt()),
                 position);
        return;
    }
    QCOMPARE(o.value("f").toString(), args[0]);
    if (args[2] == QLatin1String("pi")) {
        // The double nearest pi, and the integral of sin over [0; pi] = 2.
        QCOMPARE(o.value("b").toDouble(), M_PI);
        const QJsonObject integral = o.value("integral").toObject();
        QVERIFY(std::fabs(integral.value("mid").toDouble() - 2) <=
                integral.value("rad").toDouble() + 1e-15);
    }
    const QJsonObject rules = o.value("rules").toObject();
    QCOMPARE(rules.keys(), (QStringList{"boole", "gauss2", "gauss3", "left", "midpoint", "right",
                                        "simpson", "simpson38", "trapezoid"}));
    const double mid = o.value("integral").toObject().value("mid").toDouble();
    const double rad = o.value("integral").toObject().value("rad").toDouble();
    for (const QString &name : rules.keys()) {
        const QJsonObject r = rules.value(name).toObject();
        if (r.contains("refused")) {
            // 6 subintervals do not make groups of 4.
            QCOMPARE(name, QStringLiteral("boole"));
            QCOMPARE(r.value("refused").toString(), QStringLiteral("n должно делиться на 4"));
            continue;
        }
        QVERIFY2(r.contains("bound") && r.value("n").toInt() >= 6, qPrintable(name));
        // "error" is what the value missed the proven integral by: within
        // rad of the value minus the printed midpoint, to a rounding of each.
        const double value = r.value("value").toDouble();
        const double error = r.value("error").toDouble();
        const double slack =
            rad + 4 * std::numeric_limits<double>::epsilon() *
                      std::max({std::fabs(value), std::fabs(mid), std::fabs(error)});
        QVERIFY2(std::fabs(error - (value - mid)) <= slack, qPrintable(name));
    }
    for (const char *k : {"M1", "M2", "M4", "M6"}) {
        const QJsonObject m = o.value(QLatin1String(k)).toObject();
        if (m.contains("refused"))
            continue;
        QVERIFY(m.value("lower").isDouble());
        if (m.value("upper").isNull())
            QCOMPARE(m.value("beyond").toString(), QStringLiteral("> 1.8e308"));
        else
            QVERIFY(m.value("lower").toDouble() <= m.value("upper").toDouble());
    }
}

void CalcTest::strictReaderRefuses_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("strict");
    QTest::newRow("an object") << QByteArray(R"({"upper": 1.5, "x": null})") << true;
    QTest::newRow("@Inf@") << QByteArray(R"({"upper": 0.@Inf@})") << false;
    QTest::newRow("NaN") << QByteArray(R"({"x": NaN})") << false;
    QTest::newRow("Infinity") << QByteArray(R"({"x": Infinity})") << false;
    QTest::newRow("-Infinity") << QByteArray(R"({"x": -Infinity})") << false;
    QTest::newRow("1e400") << QByteArray(R"({"x": {"y": [1e400]}})") << false;
    QTest::newRow("trailing text") << QByteArray(R"({"x": 1} x)") << false;
    QTest::newRow("not an object") << QByteArray("[1]") << false;
}

// The reader every JSON check goes through refuses what a strict reader
// refuses, so that the checks through it can fail.
void CalcTest::strictReaderRefuses()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, strict);
    QCOMPARE(strictJsonError(text).isEmpty(), strict);
}

void CalcTest::beyondTheDoubles_data()
{
    QTest::addColumn<QString>("f");
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    // M1, M2, M4, M6 by hand.
    QTest::addColumn<QStringList>("maxima");
    // The rules whose bound is past the doubles, and those refused for an
    // M_k that is.
    QTest::addColumn<QStringList>("boundsBeyond");
    QTest::addColumn<QStringList>("boundsRefused");
    // |(ln x)^(k)| = (k-1)!/x^k falls with x: at x = 1e-52 M1 = 1e52,
    // M2 = 1e104, M4 = 6e208 are doubles, M6 = 120e312 = 1.2e314 is not. Its
    // rules' bounds from M1..M4 are doubles ((b-a)^2 M1 / 24 = 4.2e50, ...,
    // h^4 M4 / 180 = 1.6e202); Boole and Gauss-3 take M6.
    QTest::newRow("ln x on [1e-52; 1]") << "ln(x)"
                                        << "1e-52"
                                        << "1" << QStringList{"1e52", "1e104", "6e208", "1.2e314"}
                                        << QStringList{} << QStringList{"boole", "gauss3"};
    // |(1/x)^(k)| = k!/x^(k+1): at x = 1e-300 not one is a double, nor any bound.
    QTest::newRow("1/x on [1e-300; 1]")
        << "1/x"
        << "1e-300"
        << "1" << QStringList{"1e600", "2e900", "2.4e1501", "7.2e2102"} << QStringList{}
        << QStringList{"left",      "right", "midpoint", "trapezoid", "simpson",
                       "simpson38", "boole", "gauss2",   "gauss3"};
    // (1e306 x^6)^(k) = 1e306 6!/(6-k)! x^(6-k), largest at 1: 6e306, 3e307,
    // 3.6e308, 7.2e308. The bounds of M1 and M2 are doubles (2.5e305, 8.7e303,
    // 1.7e304); Simpson, Simpson 3/8 and Gauss-2 take M4, Boole and Gauss-3 M6.
    QTest::newRow("1e306*x^6 on [0; 1]")
        << "1e306*x^6"
        << "0"
        << "1" << QStringList{"6e306", "3e307", "3.6e308", "7.2e308"} << QStringList{}
        << QStringList{"simpson", "simpson38", "gauss2", "boole", "gauss3"};
    // Every M_k a double (M1 = 1e300 at 0; M2 = 1e300 * 3 sqrt(3) / 8 at
    // 1/sqrt(3); M4 and M6 from mpmath's diff(atan, x, k) at its extremum),
    // but with b - a = 1e5 and h = 8333 every bound is past the doubles:
    // (b-a)^2 M1 / 24 = 4.2e308 for the least of them, (b-a) h^4 M4 / 180 =
    // 1.3e319 for Simpson, (b-a) h^6 M6 / 2016000 = 1.7e325 for Gauss-3.
    QTest::newRow("1e300*atan(x) on [-50000; 50000]")
        << "1e300*atan(x)"
        << "-50000"
        << "50000"
        << QStringList{"1e300", "6.49519052838329e299", "4.66855928415521e300",
                       "1.00458982935029e302"}
        << QStringList{"left",      "right", "midpoint", "trapezoid", "simpson",
                       "simpson38", "boole", "gauss2",   "gauss3"}
        << QStringList{};
}

// A quantity past the largest double is null in the JSON with "beyond" at
// its object's end, and "> 1,8·10^308" in the summary; what is a double stays
// a number and holds the hand value.
void CalcTest::beyondTheDoubles()
{
    QFETCH(QString, f);
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(QStringList, maxima);
    QFETCH(QStringList, boundsBeyond);
    QFETCH(QStringList, boundsRefused);
    const Run run = runCalc({f, a, b, QStringLiteral("--json")});
    QCOMPARE(run.status, 0);
    QJsonObject o;
    if (!strictJson(run.out, o))
        return;

    const char *names[] = {"M1", "M2", "M4", "M6"};
    int maximaBeyond = 0;
    for (int k = 0; k < 4; ++k) {
        const QByteArray name(names[k]);
        const QJsonObject m = o.value(QLatin1String(name)).toObject();
        const QString &hand = maxima[k];
        QVERIFY2(m.value("lower").isDouble() && m.value("x").isDouble(), name.constData());
        if (atMost(hand, kLargestDouble)) {
            // The interval's own width is far above 1e-12 of it.
            const double v = hand.toDouble();
            QVERIFY2(m.value("lower").toDouble() <= v * (1 + 1e-12) &&
                         v * (1 - 1e-12) <= m.value("upper").toDouble(),
                     name.constData());
            QVERIFY2(!m.contains("beyond"), name.constData());
        } else {
            ++maximaBeyond;
            QVERIFY2(m.value("upper").isNull(), name.constData());
            QCOMPARE(m.value("beyond").toString(), QStringLiteral("> 1.8e308"));
            QVERIFY2(atMost(rawNumber(run.out, name + ".lower"), hand), name.constData());
        }
    }

    const QJsonObject rules = o.value("rules").toObject();
    QCOMPARE(rules.size(), 9);
    for (const QString &name : rules.keys()) {
        const QJsonObject r = rules.value(name).toObject();
        QVERIFY2(r.value("value").isDouble() && r.value("error").isDouble(), qPrintable(name));
        if (boundsBeyond.contains(name)) {
            QVERIFY2(r.value("bound").isNull(), qPrintable(name));
            QCOMPARE(r.value("beyond").toString(), QStringLiteral("> 1.8e308"));
        } else if (boundsRefused.contains(name)) {
            QVERIFY2(r.value("bound").toObject().contains("refused"), qPrintable(name));
            QVERIFY2(!r.contains("beyond"), qPrintable(name));
        } else {
            QVERIFY2(r.value("bound").isDouble() && !r.contains("beyond"), qPrintable(name));
        }
    }

    // The summary says the same in its words: once for each M_k and bound
    // past the doubles, in place of the number.
    const Run summary = runCalc({f, a, b});
    QCOMPARE(summary.status, 0);
    const QString text = QString::fromUtf8(summary.out);
    for (const char *garbage : {"@", "inf", "nan"})
        QVERIFY2(!text.contains(QLatin1String(garbage), Qt::CaseInsensitive), qPrintable(text));
    QCOMPARE(text.count(QStringLiteral("> 1,8·10^308")), maximaBeyond + boundsBeyond.size());
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1Char('M')) && line.contains(QStringLiteral("> 1,8·10^308")))
            QVERIFY2(line.contains(QStringLiteral("; > 1,8·10^308]")), qPrintable(line));
    }
}

void CalcTest::errorBeyondTheDoubles_data()
{
    QTest::addColumn<QString>("f");
    QTest::addColumn<double>("sign");
    QTest::addColumn<QString>("beyond");
    // Two peaks 8e307 high and about 1e-10 wide at 20 and 22, on -7e306.
    // With h = 2 the left rule takes 0, 2, ..., 22: 2 (2 * 8e307 - 12 *
    // 7e306) = 1.52e308, the negative terms first, so every partial sum is a
    // double; the right rule and the trapezoid rule come to the same. The
    // integral is -7e306 * 24 + 2 * 8e307 * sqrt(pi) * 1e-10 = -1.68e308, so
    // what they miss by is 3.2e308, past the doubles. The midpoint rule takes
    // 1, 3, ..., 23, misses both peaks, and misses by a double.
    QTest::newRow("above") << "8e307*exp(-((x-20)*1e10)^2)+8e307*exp(-((x-22)*1e10)^2)-7e306" << 1.0
                           << "> 1.8e308";
    QTest::newRow("below") << "-8e307*exp(-((x-20)*1e10)^2)-8e307*exp(-((x-22)*1e10)^2)+7e306"
                           << -1.0 << "< -1.8e308";
}

// A rule's error, the difference of two doubles, may itself be past them.
void CalcTest::errorBeyondTheDoubles()
{
    QFETCH(QString, f);
    QFETCH(double, sign);
    QFETCH(QString, beyond);
    const Run run =
        runCalc({f, QStringLiteral("0"), QStringLiteral("24"), QStringLiteral("--json")});
    QCOMPARE(run.status, 0);
    QJsonObject o;
    if (!strictJson(run.out, o))
        return;
    const double mid = o.value("integral").toObject().value("mid").toDouble();
    QVERIFY2(std::fabs(mid + sign * 1.68e308) <= 1e-9 * 1.68e308, qPrintable(QString::number(mid)));
    const QJsonObject rules = o.value("rules").toObject();
    for (const char *name : {"left", "right", "trapezoid"}) {
        const QJsonObject r = rules.value(QLatin1String(name)).toObject();
        QVERIFY2(std::fabs(r.value("value").toDouble() - sign * 1.52e308) <= 1e-12 * 1.52e308,
                 name);
        QVERIFY2(r.value("error").isNull(), name);
        QCOMPARE(r.value("errorBeyond").toString(), beyond);
    }
    const QJsonObject midpoint = rules.value("midpoint").toObject();
    QVERIFY(midpoint.value("error").isDouble() && !midpoint.contains("errorBeyond"));

    const Run summary = runCalc({f, QStringLiteral("0"), QStringLiteral("24")});
    QCOMPARE(summary.status, 0);
    QString shown = beyond;
    shown.replace(QStringLiteral("1.8e308"), QStringLiteral("1,8·10^308"));
    // In the rules' table (its rows begin with two spaces), not the M_k's lines.
    int rows = 0;
    for (const QString &line : QString::fromUtf8(summary.out).split(QLatin1Char('\n')))
        rows += line.startsWith(QStringLiteral("  ")) && line.contains(shown);
    QCOMPARE(rows, 3);
}

// The writer on an answer made by hand with every kind of double that is
// not one: infinities both ways and a NaN. None reaches the text as a token.
void CalcTest::writerPrintsOnlyDoubles()
{
    const double inf = std::numeric_limits<double>::infinity();
    Answer answer;
    answer.f = "x";
    answer.a = 0;
    answer.b = 1;
    answer.integral = Enclosure{0.5, 0.25, 0.25, 0.75, 0};
    answer.maxima[0] = DerivativeMax{1, 2, inf, 0.5};
    for (std::size_t i = 1; i < answer.maxima.size(); ++i)
        answer.maxima[i] = DerivativeMax{studyOrders[i], 0, 0, 0};
    answer.rules[0] = RuleAnswer{RuleKind::Left, 12, 1, -inf, inf};
    answer.rules[1] = RuleAnswer{RuleKind::Right, 12, 1, std::nan(""), 0.5};

    const QByteArray json = QByteArray::fromStdString(answerJson(answer));
    QJsonObject o;
    if (!strictJson(json, o))
        return;
    const QJsonObject m1 = o.value("M1").toObject();
    QCOMPARE(m1.value("lower").toDouble(), 2.0);
    QVERIFY(m1.value("upper").isNull());
    QCOMPARE(m1.value("beyond").toString(), QStringLiteral("> 1.8e308"));
    QVERIFY(!o.value("M2").toObject().contains("beyond"));
    const QJsonObject left = o.value("rules").toObject().value("left").toObject();
    QVERIFY(left.value("error").isNull() && left.value("bound").isNull());
    QCOMPARE(left.value("errorBeyond").toString(), QStringLiteral("< -1.8e308"));
    QCOMPARE(left.value("beyond").toString(), QStringLiteral("> 1.8e308"));
    // A NaN is past nothing: null, and no side to name.
    const QJsonObject right = o.value("rules").toObject().value("right").toObject();
    QVERIFY(right.value("error").isNull() && !right.contains("errorBeyond"));
    QCOMPARE(right.value("bound").toDouble(), 0.5);

    const QString text = QString::fromStdString(answerSummary(answer));
    for (const char *garbage : {"@", "inf", "nan"})
        QVERIFY2(!text.contains(QLatin1String(garbage), Qt::CaseInsensitive), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("∈ [2; > 1,8·10^308]")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("< -1,8·10^308")), qPrintable(text));
}

void CalcTest::sameAsTheStudy_data()
{
    QTest::addColumn<QString>("f");
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    const QList<QStringList> set = testsupport::benchmarkSetRows();
    QVERIFY(!set.isEmpty());
    for (const QStringList &c : set)
        if (c.size() >= 4)
            QTest::newRow(qPrintable(c[0])) << c[1] << c[2].toDouble() << c[3].toDouble();
    QTest::newRow("1/x on [1; 2]") << "1/x" << 1.0 << 2.0;
    QTest::newRow("1/x on [2; 1]") << "1/x" << 2.0 << 1.0;
}

// The calc prints, digit for digit, what the study window's study holds for
// the same f, a, b and n: its integral, its M_k and each rule's value, error
// and bound. Where the study refuses the whole, the calc refuses it alike.
void CalcTest::sameAsTheStudy()
{
    QFETCH(QString, f);
    QFETCH(double, a);
    QFETCH(double, b);
    const Result<Study> study = windowStudy(f, a, b);
    for (const long n : kComparedCounts) {
        const Result<Answer> answer = answerFor(f.toStdString(), a, b, n);
        if (!study) {
            QVERIFY2(!answer, qPrintable(f));
            QCOMPARE(answer.refusal(), study.refusal());
            continue;
        }
        QVERIFY2(answer, qPrintable(f));
        compareWithStudy(QByteArray::fromStdString(answerJson(*answer)), *study, n, f);
        if (QTest::currentTestFailed())
            return;
    }
}

// Past the window's table (n > 100000) the program itself prints the
// study's rule at n.
void CalcTest::sameAsTheStudyPastTheTable()
{
    const long n = 2 * ruleTableCountLimit;
    const Run run =
        runCalc({QStringLiteral("(ln(x)/x)^3"), QStringLiteral("1"), QStringLiteral("6"),
                 QStringLiteral("--n"), QString::number(n), QStringLiteral("--json")});
    QCOMPARE(run.status, 0);
    const Result<Study> study = windowStudy(QStringLiteral("(ln(x)/x)^3"), 1, 6);
    QVERIFY(study);
    compareWithStudy(run.out, *study, n, QStringLiteral("(ln(x)/x)^3"));
}

void CalcTest::boundsByHand_data()
{
    QTest::addColumn<QString>("rule");
    // The bound (b - a)^(k+1) M_k / (C n^k) as p/q, and what the rule
    // misses ln 2 by (mpmath, 30 digits: the sums by hand, minus log(2)).
    QTest::addColumn<long>("p");
    QTest::addColumn<long>("q");
    QTest::addColumn<double>("error");
    // 1/x on [1; 2], n = 4, h = 1/4: M1 = |f'(1)| = 1, M2 = f''(1) = 2.
    // Left and right: M1 / (2n) = 1/8; the left sum is 319/420, the right
    // 1/5 + 1/6 + 1/7 + 1/8.
    QTest::newRow("left") << "left" << 1L << 8L << 0.0663766289638642143922916880656;
    QTest::newRow("right") << "right" << 1L << 8L << -0.0586233710361357856077083119344;
    // Midpoint: M2 / (24 n^2) = 2/384 = 1/192; the sum 2 (1/9 + 1/11 + 1/13 + 1/15).
    QTest::newRow("midpoint") << "midpoint" << 1L << 192L << -0.00192728934005408952601223023825;
    // Trapezoid: M2 / (12 n^2) = 2/192 = 1/96 = 0.0104166...; the sum 1171/1680.
    QTest::newRow("trapezoid") << "trapezoid" << 1L << 96L << 0.00387662896386421439229168806561;
}

// 1/x on [1; 2] at n = 4 by hand. The JSON's bound is the hand bound to the
// twelve digits the M_k are proven to, never below it; the summary's is the
// hand bound rounded up to its six digits (0,0104167 for 1/96), at most one
// unit of the sixth digit above it (so neither 0,126 for 1/8, nor 0,0105, nor
// 0,0104 below 1/96), and the error is what the sum misses ln 2 by.
void CalcTest::boundsByHand()
{
    QFETCH(QString, rule);
    QFETCH(long, p);
    QFETCH(long, q);
    QFETCH(double, error);
    const QStringList args{QStringLiteral("1/x"), QStringLiteral("1"), QStringLiteral("2"),
                           QStringLiteral("--n"), QStringLiteral("4")};
    const Run json = runCalc(args + QStringList{QStringLiteral("--json")});
    QCOMPARE(json.status, 0);
    QJsonObject o;
    if (!strictJson(json.out, o))
        return;
    const QByteArray path = "rules." + rule.toLatin1();
    const QString bound = rawNumber(json.out, path + ".bound");
    QVERIFY2(roundedUpFrom(bound, p, q, 12), qPrintable(bound));
    const QJsonObject r = o.value("rules").toObject().value(rule).toObject();
    QVERIFY2(std::fabs(r.value("error").toDouble() - error) <= 1e-15,
             qPrintable(rawNumber(json.out, path + ".error")));
    // M1 and M2 hold the hand values 1 and 2 within twelve digits.
    QVERIFY(roundedUpFrom(rawNumber(json.out, "M1.upper"), 1, 1, 12));
    QVERIFY(roundedUpFrom(rawNumber(json.out, "M2.upper"), 2, 1, 12));

    const Run summary = runCalc(args);
    QCOMPARE(summary.status, 0);
    RuleKind kind = RuleKind::Left;
    for (const RuleKind k : allRules)
        if (rule == QLatin1String(ruleInfo(k).name))
            kind = k;
    const QString title = QStringLiteral("  ") + QString::fromStdString(ruleTitle(kind));
    const QStringList lines = QString::fromUtf8(summary.out).split(QLatin1Char('\n'));
    const auto line = std::find_if(lines.begin(), lines.end(), [&](const QString &l) {
        return l.startsWith(title + QLatin1Char(' '));
    });
    QVERIFY2(line != lines.end(), qPrintable(title));
    const qsizetype at = line->indexOf(QStringLiteral("≤ "));
    QVERIFY2(at > 0, qPrintable(*line));
    const QString shown = line->mid(at + 2).trimmed();
    QVERIFY2(roundedUpFrom(shown, p, q, 6), qPrintable(*line));
}

void CalcTest::exactRulesByHand_data()
{
    QTest::addColumn<QString>("rule");
    QTest::addColumn<double>("value"); // the rule on exact nodes, by hand
    // x^3 on [0; 2] at n = 4, h = 1/2; the integral is 4.
    // Left: (0 + 1/8 + 1 + 27/8) / 2 = 9/4; right: (1/8 + 1 + 27/8 + 8) / 2
    // = 25/4; midpoint: (1/64 + 27/64 + 125/64 + 343/64) / 2 = 31/8;
    // trapezoid: their mean of left and right, 17/4; Simpson, Boole and
    // both Gauss rules are exact on cubics: 4.
    QTest::newRow("left") << "left" << 2.25;
    QTest::newRow("right") << "right" << 6.25;
    QTest::newRow("midpoint") << "midpoint" << 3.875;
    QTest::newRow("trapezoid") << "trapezoid" << 4.25;
    QTest::newRow("simpson") << "simpson" << 4.0;
    QTest::newRow("boole") << "boole" << 4.0;
    QTest::newRow("gauss2") << "gauss2" << 4.0;
    QTest::newRow("gauss3") << "gauss3" << 4.0;
}

// "exact" and "exact_error" hold the rule on exact nodes far below a
// double's rounding: an exact rule's error is 0 within 1e-30, never the
// 3,5e-38 a double difference would print as an error.
void CalcTest::exactRulesByHand()
{
    QFETCH(QString, rule);
    QFETCH(double, value);
    const Run run = runCalc({QStringLiteral("x^3"), QStringLiteral("0"), QStringLiteral("2"),
                             QStringLiteral("--n"), QStringLiteral("4"), QStringLiteral("--json")});
    QCOMPARE(run.status, 0);
    QJsonObject o;
    if (!strictJson(run.out, o))
        return;
    const QJsonObject r = o.value("rules").toObject().value(rule).toObject();
    const QJsonObject exact = r.value("exact").toObject();
    const QJsonObject error = r.value("exact_error").toObject();
    QVERIFY2(exact.contains("mid") && error.contains("mid"), run.out.constData());
    QVERIFY(std::fabs(exact.value("mid").toDouble() - value) <= exact.value("rad").toDouble());
    QVERIFY(exact.value("rad").toDouble() < 1e-30);
    QVERIFY(std::fabs(error.value("mid").toDouble() - (value - 4)) <=
            error.value("rad").toDouble());
    QVERIFY(error.value("rad").toDouble() < 1e-30);
}

// Past the exact sum's work limit the double alone is given, and says so.
void CalcTest::exactPastItsLimit()
{
    const Run run =
        runCalc({QStringLiteral("x"), QStringLiteral("0"), QStringLiteral("1"),
                 QStringLiteral("--n"), QStringLiteral("10000000"), QStringLiteral("--json")});
    QCOMPARE(run.status, 0);
    QJsonObject o;
    if (!strictJson(run.out, o))
        return;
    const QJsonObject left = o.value("rules").toObject().value("left").toObject();
    // (b - a)^2 / (2n) below the integral 1/2, by hand; the double sum's
    // rounding is what moves its error off -5e-8.
    QVERIFY(std::fabs(left.value("error").toDouble() + 5e-8) < 1e-15);
    for (const char *key : {"exact", "exact_error"}) {
        const QJsonObject refused = left.value(QLatin1String(key)).toObject();
        QCOMPARE(refused.value("refused").toString(), QStringLiteral("слишком много вычислений"));
        QVERIFY(refused.value("where").isNull());
    }
}

QTEST_GUILESS_MAIN(CalcTest)
#include "calctest.moc"
