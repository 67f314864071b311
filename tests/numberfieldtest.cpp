// SPDX-License-Identifier: GPL-3.0-or-later
// The one reader behind every number field, and the result formats.

#include "base/numberreader.h"
#include "numbers/numbertext.h"

#include <QLocale>
#include <QTest>

#include <cmath>
#include <limits>

using namespace kvadrolab;

class NumberFieldTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::system()); }

    void readsNumbers_data();
    void readsNumbers();
    void refusesOtherText_data();
    void refusesOtherText();
    void readsTheSameWhateverTheLocale();
    void refusalNamesThePosition_data();
    void refusalNamesThePosition();
    void scansANumberAtTheStart_data();
    void scansANumberAtTheStart();
    void formatsFixed_data();
    void formatsFixed();
    void formatsWhole_data();
    void formatsWhole();
    void formatsShortest_data();
    void formatsShortest();
    void formatsSignificant_data();
    void formatsSignificant();
    void formatsPower_data();
    void formatsPower();
    void formatsTenTo_data();
    void formatsTenTo();
    void formatsScientificAndCounts();
    void systemLocaleGivesTheSeparator();
};

void NumberFieldTest::readsNumbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("whole") << "600" << 600.0;
    QTest::newRow("starting step, comma") << "0,001" << 0.001;
    QTest::newRow("period") << "0.001" << 0.001;
    QTest::newRow("digit after separator only") << ".5" << 0.5;
    QTest::newRow("comma, digit before only") << "5," << 5.0;
    QTest::newRow("period, digit before only") << "5." << 5.0;
    QTest::newRow("zero fraction") << "600,0" << 600.0;
    QTest::newRow("leading zeros") << "007" << 7.0;
    QTest::newRow("surrounding spaces") << "  6  " << 6.0;
    QTest::newRow("tab and newline around") << "\t1,5\n" << 1.5;
    QTest::newRow("plus") << "+2" << 2.0;
    QTest::newRow("minus") << "-2,25" << -2.25;
    QTest::newRow("minus sign U+2212") << QString(QChar(0x2212)) + "3" << -3.0;
    QTest::newRow("exponent") << "1e3" << 1000.0;
    QTest::newRow("capital exponent") << "2,5E2" << 250.0;
    QTest::newRow("exponent with plus") << "1e+2" << 100.0;
    QTest::newRow("negative exponent") << "15e-1" << 1.5;
    QTest::newRow("U+2212 in exponent") << "1e" + QString(QChar(0x2212)) + "2" << 0.01;
    QTest::newRow("separator then exponent") << "5.e1" << 50.0;
    QTest::newRow("long exponent") << "1e0000000000000000000001" << 10.0;
    QTest::newRow("largest double")
        << "1.7976931348623157e308" << std::numeric_limits<double>::max();
    QTest::newRow("subnormal") << "4.9e-324" << std::numeric_limits<double>::denorm_min();
    QTest::newRow("below every double") << "1e-400" << 0.0;
    QTest::newRow("far below every double") << "0,0001e-99999999999999999999" << 0.0;
    QTest::newRow("many digits") << "0,18047902250000000000000000001" << 0.1804790225;
}

void NumberFieldTest::readsNumbers()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    const auto read = readNumberField(text);
    QVERIFY2(read.ok(), qPrintable(text));
    QCOMPARE(*read, value);
}

void NumberFieldTest::refusesOtherText_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << "";
    QTest::newRow("spaces only") << "   ";
    QTest::newRow("letters") << "abc";
    QTest::newRow("number then letter") << "6a";
    QTest::newRow("separator alone") << ",";
    QTest::newRow("sign alone") << "-";
    QTest::newRow("sign and separator") << "-.";
    QTest::newRow("two separators") << "1,5,5";
    QTest::newRow("comma and period") << "1.000,5";
    QTest::newRow("grouping by space") << "1 000";
    QTest::newRow("grouping by no-break space") << QString("1") + QChar(0x00A0) + "000";
    QTest::newRow("space after sign") << "- 1";
    QTest::newRow("two signs") << "+-1";
    QTest::newRow("exponent without digits") << "1e";
    QTest::newRow("exponent sign without digits") << "1e+";
    QTest::newRow("exponent without mantissa") << "e5";
    QTest::newRow("fractional exponent") << "1e2.5";
    QTest::newRow("infinity") << "inf";
    QTest::newRow("Infinity") << "Infinity";
    QTest::newRow("nan") << "nan";
    QTest::newRow("hexadecimal") << "0x10";
    QTest::newRow("beyond the double range") << "1e309";
    QTest::newRow("far beyond") << "123456e99999999999999999999";
    QTest::newRow("fullwidth digit") << QString(QChar(0xFF11));
    QTest::newRow("arabic-indic digit") << QString(QChar(0x0661));
    QTest::newRow("apostrophe grouping") << "1'000";
}

void NumberFieldTest::refusesOtherText()
{
    QFETCH(QString, text);
    const auto read = readNumberField(text);
    QVERIFY2(!read.ok(), qPrintable(QString::number(read.ok() ? *read : 0)));
    QCOMPARE(read.reason(), kvadrolab::Reason::NotANumber);
}

// The plain reader (no Qt) says where a text stops being a number, counted in
// characters from 0: U+2212 is one character of three bytes.
void NumberFieldTest::refusalNamesThePosition_data()
{
    QTest::addColumn<QByteArray>("utf8");
    QTest::addColumn<int>("position");
    QTest::newRow("letters") << QByteArray("abc") << 0;
    QTest::newRow("number then letter") << QByteArray("6a") << 1;
    QTest::newRow("spaces, number, letter") << QByteArray("  12x") << 4;
    QTest::newRow("second separator") << QByteArray("1,5,5") << 3;
    QTest::newRow("grouping space") << QByteArray("1 000") << 1;
    QTest::newRow("exponent without digits") << QByteArray("1e") << 2;
    QTest::newRow("minus sign then letter") << QByteArray("\xE2\x88\x92x") << 1;
    QTest::newRow("a Cyrillic letter first") << QByteArray("\xD0\xB0"
                                                           "1")
                                             << 0;
    QTest::newRow("minus sign, digits, letter") << QByteArray("\xE2\x88\x92"
                                                              "25z")
                                                << 3;
    QTest::newRow("empty") << QByteArray("") << 0;
}

void NumberFieldTest::refusalNamesThePosition()
{
    QFETCH(QByteArray, utf8);
    QFETCH(int, position);
    const auto read = kvadrolab::readNumber(std::string_view(utf8.constData(), utf8.size()));
    QVERIFY(!read.ok());
    QCOMPARE(read.reason(), kvadrolab::Reason::NotANumber);
    QCOMPARE(read.refusal().position.value_or(-1), std::size_t(position));
}

// What the integrand language needs: the number a longer text starts with and
// the bytes it takes.
void NumberFieldTest::scansANumberAtTheStart_data()
{
    QTest::addColumn<QByteArray>("utf8");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("length");
    QTest::newRow("comma, then an operator") << QByteArray("2,5*x") << 2.5 << 3;
    QTest::newRow("point, then a bracket") << QByteArray("0.25)") << 0.25 << 4;
    QTest::newRow("exponent, then a letter") << QByteArray("1e-3x") << 0.001 << 4;
    QTest::newRow("minus sign U+2212") << QByteArray("\xE2\x88\x92"
                                                     "4+1")
                                       << -4.0 << 4;
    QTest::newRow("below the double range") << QByteArray("1e-400;") << 0.0 << 6;
}

void NumberFieldTest::scansANumberAtTheStart()
{
    QFETCH(QByteArray, utf8);
    QFETCH(double, value);
    QFETCH(int, length);
    const auto scanned = kvadrolab::scanNumber(std::string_view(utf8.constData(), utf8.size()));
    QVERIFY(scanned.ok());
    QCOMPARE(scanned->value, value);
    QCOMPARE(scanned->length, std::size_t(length));
}

void NumberFieldTest::readsTheSameWhateverTheLocale()
{
    // A period-locale user must not get "0,001" read as a thousands group.
    for (const QLocale &locale :
         {QLocale(QLocale::Russian), QLocale(QLocale::English), QLocale(QLocale::German)}) {
        QLocale::setDefault(locale);
        QCOMPARE(readNumberField("0,001").value(), 0.001);
        QCOMPARE(readNumberField("1.000").value(), 1.0);
        QVERIFY(!readNumberField("1,000,000"));
    }
}

void NumberFieldTest::formatsFixed_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    const QLocale ru(QLocale::Russian), en(QLocale::English);
    QTest::newRow("trapezoid I, comma") << ru << 0.18047898858977604 << "0,1804789886";
    QTest::newRow("trapezoid I, period") << en << 0.18047898858977604 << "0.1804789886";
    QTest::newRow("negative E keeps its minus")
        << ru << 0.18047898858977604 - 0.1804790225 << "-0,0000000339";
    QTest::newRow("rounds up at the tenth decimal") << ru << 0.00001786604 << "0,0000178660";
    QTest::newRow("digit before the separator") << en << 0.5 << "0.5000000000";
    QTest::newRow("no grouping, comma locale") << ru << 1234567.0 << "1234567,0000000000";
    QTest::newRow("no grouping, period locale") << en << 1234567.0 << "1234567.0000000000";
    QTest::newRow("zero") << ru << 0.0 << "0,0000000000";
}

void NumberFieldTest::formatsFixed()
{
    QFETCH(QLocale, locale);
    QFETCH(double, value);
    QFETCH(QString, text);
    QLocale::setDefault(locale);
    QCOMPARE(formatFixed(value), text);
}

void NumberFieldTest::formatsWhole_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("whole") << 600.0 << "600";
    QTest::newRow("half up") << 2.5 << "3";
    QTest::newRow("half of an even number up too") << 0.5 << "1";
    QTest::newRow("negative half away from zero") << -2.5 << "-3";
    QTest::newRow("below half") << 599.49 << "599";
    QTest::newRow("small negative is plain zero") << -0.4 << "0";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("no grouping") << 1e6 << "1000000";
}

void NumberFieldTest::formatsWhole()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QLocale::setDefault(QLocale(QLocale::Russian));
    QCOMPARE(formatWhole(value), text);
}

void NumberFieldTest::formatsShortest_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    const QLocale ru(QLocale::Russian), c = QLocale::c();
    QTest::newRow("0.1 as typed, comma") << ru << 0.1 << "0,1";
    QTest::newRow("0.1 as typed, C") << c << 0.1 << "0.1";
    QTest::newRow("negative step") << ru << -2.5 << "-2,5";
    QTest::newRow("a third needs 16 digits") << ru << 1.0 / 3 << "0,3333333333333333";
    QTest::newRow("grouped by a no-break space") << ru << 12345.5 << "12\u00a0345,5";
    QTest::newRow("C does not group") << c << 12345.5 << "12345.5";
}

void NumberFieldTest::formatsShortest()
{
    QFETCH(QLocale, locale);
    QFETCH(double, value);
    QFETCH(QString, text);
    QLocale::setDefault(locale);
    QCOMPARE(formatShortest(value), text);
}

void NumberFieldTest::formatsSignificant_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("digits");
    QTest::addColumn<QString>("text");
    const QLocale ru(QLocale::Russian), c = QLocale::c();
    QTest::newRow("12 digits drop a trailing zero")
        << ru << 0.18047898858977604 << 12 << "0,18047898859";
    QTest::newRow("12 digits, C") << c << 0.18047898858977604 << 12 << "0.18047898859";
    QTest::newRow("whole end of the interval") << ru << 6.0 << 6 << "6";
    QTest::newRow("two thirds to 8 digits") << ru << 2.0 / 3 << 8 << "0,66666667";
    QTest::newRow("past the digits an exponent") << c << 1234567.0 << 6 << "1.23457e+06";
}

void NumberFieldTest::formatsSignificant()
{
    QFETCH(QLocale, locale);
    QFETCH(double, value);
    QFETCH(int, digits);
    QFETCH(QString, text);
    QLocale::setDefault(locale);
    QCOMPARE(formatSignificant(value, digits), text);
}

// The step message's largest step, the study table's errors and the graph's
// segment count, worked by hand.
void NumberFieldTest::formatsScientificAndCounts()
{
    QLocale::setDefault(QLocale(QLocale::Russian));
    QCOMPARE(formatSignificant(3.4028234663852886e38, 2, ExponentLetter::Capital), "3,4E+38");
    // A real locale writes its own exponent letter, a capital E for both.
    QCOMPARE(formatScientific(1.234567e-5, 5), "1,23457E-05");
    QCOMPARE(formatCount(10'000'000), QString::fromUtf8("10\u00a0000\u00a0000"));
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QCOMPARE(formatSignificant(3.4028234663852886e38, 2, ExponentLetter::Capital), "3.4E+38");
    QCOMPARE(formatScientific(-0.5, 2), "-5.00E-01");
    QCOMPARE(formatCount(10'000'000), "10,000,000");
    // Only C writes the small e, unless the capital is asked for.
    QLocale::setDefault(QLocale::c());
    QCOMPARE(formatSignificant(3.4028234663852886e38, 2), "3.4e+38");
    QCOMPARE(formatSignificant(3.4028234663852886e38, 2, ExponentLetter::Capital), "3.4E+38");
}

void NumberFieldTest::formatsPower_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    const QLocale ru(QLocale::Russian), c = QLocale::c();
    QTest::newRow("default tolerance, comma") << ru << 1e-10 << "1,0·10^-10";
    QTest::newRow("default tolerance, C") << c << 1e-10 << "1.0·10^-10";
    QTest::newRow("one decimal") << ru << 0.00047 << "4,7·10^-4";
    QTest::newRow("rounding carries into the exponent") << ru << 0.0996 << "1,0·10^-1";
    QTest::newRow("positive exponent") << c << 250.0 << "2.5·10^2";
}

void NumberFieldTest::formatsPower()
{
    QFETCH(QLocale, locale);
    QFETCH(double, value);
    QFETCH(QString, text);
    QLocale::setDefault(locale);
    QCOMPARE(formatPower(value), text);
}

void NumberFieldTest::formatsTenTo_data()
{
    QTest::addColumn<int>("exponent");
    QTest::addColumn<QString>("text");
    QTest::newRow("ten to zero is one") << 0 << "1";
    QTest::newRow("thousand") << 3 << "10^3";
    QTest::newRow("hundredth") << -2 << "10^-2";
}

void NumberFieldTest::formatsTenTo()
{
    QFETCH(int, exponent);
    QFETCH(QString, text);
    QLocale::setDefault(QLocale(QLocale::Russian));
    QCOMPARE(formatTenTo(exponent), text);
}

void NumberFieldTest::systemLocaleGivesTheSeparator()
{
    // Registered once with a Russian and once with an English locale. The
    // expectation comes from the environment the run was given, not from
    // what the system reports: a platform that silently falls back to
    // English (Wine without the generated locale) must fail here.
    QString locale = qEnvironmentVariable("LC_ALL");
    if (locale.isEmpty())
        locale = qEnvironmentVariable("LANG");
    const QString expected = locale.startsWith(QLatin1String("ru_RU"))   ? "0,5000000000"
                             : locale.startsWith(QLatin1String("en_US")) ? "0.5000000000"
                                                                         : QString();
    if (expected.isEmpty())
        QSKIP("run under ru_RU or en_US");
    QCOMPARE(formatFixed(0.5), expected);
    QCOMPARE(QLocale::system().decimalPoint(), expected.mid(1, 1));
}

QTEST_GUILESS_MAIN(NumberFieldTest)
#include "numberfieldtest.moc"
