// SPDX-License-Identifier: GPL-3.0-or-later
// The command-line companion: its printing keeps bounds bounds (directed
// decimal rounding against exact hand values), its answer against hand
// integrals of x² and against mpmath's values for the course set as printed
// in the JSON, and the program's exit statuses and objects.

#include "calc/answer.h"
#include "calc/answertext.h"
#include "proof/decimal.h"
#include "study/ruletext.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

#include <mpfr.h>

#include <cmath>

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
    void reversedInterval();
    void constantWholeExponent_data();
    void constantWholeExponent();
    void refusalsInTheirPlace();
    void courseSetAsPrinted();
    void hostileFunctionsAnswer_data();
    void hostileFunctionsAnswer();
    void program_data();
    void program();
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
    QFile file(QStringLiteral(KVADROLAB_BENCHMARK_SET));
    QVERIFY(file.open(QIODevice::ReadOnly));
    file.readLine();
    int answered = 0;
    while (!file.atEnd()) {
        const QStringList c =
            QString::fromUtf8(file.readLine()).chopped(1).split(QLatin1Char('\t'));
        QVERIFY(c.size() >= 15);
        if (!c[13].isEmpty())
            continue; // the rows the engine refuses have their own test
        const Result<Answer> answer =
            answerFor(c[1].toStdString(), c[2].toDouble(), c[3].toDouble(), 12);
        QVERIFY2(answer, qPrintable(c[0]));
        const QByteArray json = QByteArray::fromStdString(answerJson(*answer));
        QJsonParseError error;
        QVERIFY2(QJsonDocument::fromJson(json, &error).isObject(), qPrintable(error.errorString()));
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

// The limits are counts; here they must also keep the whole answer within a
// second on these inputs.
void CalcTest::hostileFunctionsAnswer()
{
    QFETCH(QString, f);
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(bool, proven);
    QElapsedTimer clock;
    clock.start();
    const Result<Answer> answer = answerFor(f.toStdString(), a, b, 12);
    const qint64 ms = clock.elapsed();
    QCOMPARE(bool(answer), proven);
    if (!proven)
        QCOMPARE(answer.reason(), Reason::NotProven);
#ifndef KVADROLAB_SANITIZED
    QVERIFY2(ms < 1000, qPrintable(QString::number(ms) + " ms"));
#endif
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
    QTest::newRow("not proven") << QStringList{"exp(exp(exp(x)))", "0", "3", "--json"} << 2
                                << "не удалось доказать в пределах вычислений"
                                << "null"
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
    const QJsonDocument doc = QJsonDocument::fromJson(run.out);
    QVERIFY2(doc.isObject(), run.out.constData());
    QVERIFY(run.out.endsWith("}\n") && run.out.count('\n') == 1);
    const QJsonObject o = doc.object();
    if (status == 2) {
        QCOMPARE(o.keys(), (QStringList{"position", "refused", "where"}));
        QCOMPARE(o.value("refused").toString(), refused);
        QCOMPARE(o.value("where").isNull() ? QStringLiteral("null")
                                           : QString::number(o.value("where").toDouble()),
                 where);
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
    for (const QString &name : rules.keys()) {
        const QJsonObject r = rules.value(name).toObject();
        if (r.contains("refused")) {
            // 6 subintervals do not make groups of 4.
            QCOMPARE(name, QStringLiteral("boole"));
            QCOMPARE(r.value("refused").toString(), QStringLiteral("n должно делиться на 4"));
            continue;
        }
        QVERIFY2(r.contains("bound") && r.value("n").toInt() >= 6, qPrintable(name));
        // "error" is the value minus the integral's midpoint.
        QCOMPARE(r.value("error").toDouble(), r.value("value").toDouble() - mid);
    }
    for (const char *k : {"M1", "M2", "M4", "M6"}) {
        const QJsonObject m = o.value(QLatin1String(k)).toObject();
        QVERIFY(m.value("lower").toDouble() <= m.value("upper").toDouble());
    }
}

QTEST_GUILESS_MAIN(CalcTest)
#include "calctest.moc"
