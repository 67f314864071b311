// SPDX-License-Identifier: GPL-3.0-or-later
// The integrand language: values of typed expressions against hand-worked
// ones, the compiled shape where the grammar makes a choice (precedence,
// implicit products, whole exponents), every refusal with its position and
// its Russian wording, hostile text refused at once, and the block evaluator
// agreeing with the single-point one bit for bit.

#include "core/integrand.h"
#include "expression/constant.h"
#include "expression/evaluator.h"
#include "expression/parser.h"
#include "expression/refusaltext.h"

#include <QTest>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

using namespace kvadrolab;

Q_DECLARE_METATYPE(kvadrolab::Reason)

namespace {

std::string utf8(const QString &s)
{
    return s.toStdString();
}

// The steps in a compact postfix text: "x 1 + 3 ^3".
QString postfix(const Program &p)
{
    QStringList out;
    for (const Step &s : p.steps) {
        switch (s.op) {
        case Op::Number:
            out << QString::fromStdString(s.literal);
            break;
        case Op::Pi:
            out << "pi";
            break;
        case Op::E:
            out << "e";
            break;
        case Op::X:
            out << "x";
            break;
        case Op::Neg:
            out << "neg";
            break;
        case Op::PowInt:
            out << QStringLiteral("^%1").arg(s.exponent);
            break;
        case Op::Add:
            out << "+";
            break;
        case Op::Sub:
            out << "-";
            break;
        case Op::Mul:
            out << "*";
            break;
        case Op::Div:
            out << "/";
            break;
        case Op::Pow:
            out << "^";
            break;
        case Op::Sin:
            out << "sin";
            break;
        case Op::Cos:
            out << "cos";
            break;
        case Op::Tan:
            out << "tg";
            break;
        case Op::Cot:
            out << "ctg";
            break;
        case Op::Asin:
            out << "arcsin";
            break;
        case Op::Acos:
            out << "arccos";
            break;
        case Op::Atan:
            out << "arctg";
            break;
        case Op::Acot:
            out << "arcctg";
            break;
        case Op::Sinh:
            out << "sh";
            break;
        case Op::Cosh:
            out << "ch";
            break;
        case Op::Tanh:
            out << "th";
            break;
        case Op::Coth:
            out << "cth";
            break;
        case Op::Exp:
            out << "exp";
            break;
        case Op::Ln:
            out << "ln";
            break;
        case Op::Lg:
            out << "lg";
            break;
        case Op::Sqrt:
            out << "sqrt";
            break;
        case Op::Cbrt:
            out << "cbrt";
            break;
        case Op::Abs:
            out << "abs";
            break;
        }
    }
    return out.join(' ');
}

bool sameBits(double a, double b)
{
    return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

class ExpressionTest : public QObject
{
    Q_OBJECT

private slots:
    void values_data();
    void values();
    void shape_data();
    void shape();
    void foldedPowerAtItsSign_data();
    void foldedPowerAtItsSign();
    void refusals_data();
    void refusals();
    void hostile_data();
    void hostile();
    void limitsAreReachable();
    void everyControlCharacter();
    void blockEqualsScalar_data();
    void blockEqualsScalar();
    void integrandMatchesTheCompiledOne();
    void exactNumbers_data();
    void exactNumbers();
    void exactNumberRefusals_data();
    void exactNumberRefusals();
};

void ExpressionTest::values_data()
{
    // One value, whatever the spelling: the Russian and the Latin names of
    // a function, both minus signs, both exponent letters.
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("expected");

    // Precedence and associativity.
    QTest::newRow("2^3^2 right-associative") << QStringList{"2^3^2"} << 0.0 << 512.0;
    QTest::newRow("-x^2 at 3, both minus signs") << QStringList{"-x^2", "\u2212x^2"} << 3.0 << -9.0;
    QTest::newRow("(-2)^2") << QStringList{"(-2)^2"} << 0.0 << 4.0;
    QTest::newRow("2-3-4 left") << QStringList{"2-3-4"} << 0.0 << -5.0;
    QTest::newRow("2/4/2 left") << QStringList{"2/4/2"} << 0.0 << 0.25;
    QTest::newRow("8/2*4") << QStringList{"8/2*4"} << 0.0 << 16.0;
    QTest::newRow("2*-3") << QStringList{"2*-3"} << 0.0 << -6.0;
    QTest::newRow("2^-1") << QStringList{"2^-1"} << 0.0 << 0.5;
    QTest::newRow("2^-x^2 at 2") << QStringList{"2^-x^2"} << 2.0 << 0.0625;
    QTest::newRow("2^-3*4") << QStringList{"2^-3*4"} << 0.0 << 0.5;
    QTest::newRow("x^-2 and x^(\u22122) at 4")
        << QStringList{"x^-2", "x^(\u22122)"} << 4.0 << 0.0625;
    QTest::newRow("x^0,5 at 9") << QStringList{"x^0,5"} << 9.0 << 3.0;
    QTest::newRow("unary plus") << QStringList{"+x - +2"} << 5.0 << 3.0;
    QTest::newRow("spaces") << QStringList{"  x *\u00A02 ", "x\u00A0\u00A0* 2"} << 4.0 << 8.0;
    // Constant whole exponents are powers by multiplication: defined for a
    // negative x, where pow's a^b takes a > 0.
    QTest::newRow("x^2,0 = x^(4/2) = x^(1+1) at -3")
        << QStringList{"x^2,0", "x^2.0", "x^(4/2)", "x^(1+1)", "x^(3-1)", "x^0,2e1"} << -3.0 << 9.0;
    QTest::newRow("x^(2*3) = x^(12/2) at -2") << QStringList{"x^(2*3)", "x^(12/2)"} << -2.0 << 64.0;
    QTest::newRow("x^-(4/2) = x^(-6/3) at -4")
        << QStringList{"x^-(4/2)", "x^(-6/3)", "x^(\u2212(1+1))"} << -4.0 << 0.0625;
    // (0,1+0,2)*10 is 3 exactly as typed; in doubles it is 3.0000000000000004,
    // and pow(1e10, that) is 1e30 * (1 + 1.02e-14) (mpmath): far outside the
    // tolerance.
    QTest::newRow("x^((0,1+0,2)*10) at 1e10 is 1e30")
        << QStringList{"x^((0,1+0,2)*10)", "x^(0,1*3*10)"} << 1e10 << 1e30;
    QTest::newRow("x^1e1 at -2") << QStringList{"x^1e1", "x^(5+5)"} << -2.0 << 1024.0;
    QTest::newRow("x^(1/2) at 9 stays a root")
        << QStringList{"x^(1/2)", "x^(0,25*2)"} << 9.0 << 3.0;
    // Numbers as the fields read them.
    QTest::newRow("decimal comma and point") << QStringList{"1,5x", "1.5*x"} << 2.0 << 3.0;
    QTest::newRow("leading separator") << QStringList{",5+x"} << 1.0 << 1.5;
    QTest::newRow("2e3 and 2E3 are numbers") << QStringList{"2e3", "2E3"} << 0.0 << 2000.0;
    QTest::newRow("2e-3 and 2e\u22123 are numbers")
        << QStringList{"2e-3", "2e\u22123"} << 0.0 << 0.002;
    QTest::newRow("1e2x") << QStringList{"1e2x"} << 3.0 << 300.0;
    // Implicit multiplication.
    QTest::newRow("2e is 2 times e") << QStringList{"2e"} << 0.0 << 5.43656365691809047;
    QTest::newRow("2e+x is 2e plus x") << QStringList{"2e+x"} << 1.0 << 6.43656365691809047;
    QTest::newRow("2e - 3 with spaces") << QStringList{"2e - 3"} << 0.0 << 2.43656365691809047;
    QTest::newRow("2x at 3") << QStringList{"2x"} << 3.0 << 6.0;
    QTest::newRow("2(x+1) at 3") << QStringList{"2(x+1)"} << 3.0 << 8.0;
    QTest::newRow("(x+1)(x-1) at 3") << QStringList{"(x+1)(x-1)"} << 3.0 << 8.0;
    QTest::newRow("x sin(x) at pi/2") << QStringList{"x sin(x)"} << M_PI_2 << M_PI_2;
    QTest::newRow("2x^2 at 3") << QStringList{"2x^2"} << 3.0 << 18.0;
    QTest::newRow("3x(x+1) at 2") << QStringList{"3x(x+1)"} << 2.0 << 18.0;
    QTest::newRow("1/2x at 4 is x/2") << QStringList{"1/2x"} << 4.0 << 2.0;
    QTest::newRow("2pi = 2π") << QStringList{"2pi", "2π"} << 0.0 << 6.28318530717958648;
    QTest::newRow("x e at 1") << QStringList{"x e"} << 1.0 << 2.71828182845904524;
    QTest::newRow("e^x at 1") << QStringList{"e^x"} << 1.0 << 2.71828182845904524;
    QTest::newRow("sin(x)^2+cos(x)^2") << QStringList{"sin(x)^2+cos(x)^2"} << 0.7 << 1.0;
    // Functions, in both notations.
    QTest::newRow("sin(pi/6)") << QStringList{"sin(pi/6)"} << 0.0 << 0.5;
    QTest::newRow("cos(π/3)") << QStringList{"cos(π/3)"} << 0.0 << 0.5;
    QTest::newRow("tg(pi/4) = tan(pi/4)") << QStringList{"tg(pi/4)", "tan(pi/4)"} << 0.0 << 1.0;
    QTest::newRow("ctg(pi/4) = cot(pi/4)") << QStringList{"ctg(pi/4)", "cot(pi/4)"} << 0.0 << 1.0;
    QTest::newRow("arcsin(1) = asin(1)") << QStringList{"arcsin(1)", "asin(1)"} << 0.0 << M_PI_2;
    QTest::newRow("arccos(0) = acos(0)") << QStringList{"arccos(0)", "acos(0)"} << 0.0 << M_PI_2;
    QTest::newRow("arctg(1) = atan(1)")
        << QStringList{"arctg(1)", "atan(1)"} << 0.0 << 0.785398163397448310;
    QTest::newRow("sh(1) = sinh(1)")
        << QStringList{"sh(1)", "sinh(1)"} << 0.0 << 1.17520119364380146;
    QTest::newRow("ch(1) = cosh(1)")
        << QStringList{"ch(1)", "cosh(1)"} << 0.0 << 1.54308063481524378;
    QTest::newRow("th(1) = tanh(1)")
        << QStringList{"th(1)", "tanh(1)"} << 0.0 << 0.761594155955764888;
    QTest::newRow("exp(2)") << QStringList{"exp(2)"} << 0.0 << 7.38905609893065023;
    QTest::newRow("ln(e)") << QStringList{"ln(e)"} << 0.0 << 1.0;
    QTest::newRow("lg(1000)") << QStringList{"lg(1000)"} << 0.0 << 3.0;
    QTest::newRow("sqrt(16)") << QStringList{"sqrt(16)"} << 0.0 << 4.0;
    QTest::newRow("cbrt(-27)") << QStringList{"cbrt(-27)"} << 0.0 << -3.0;
    QTest::newRow("abs(-2,5)") << QStringList{"abs(-2,5)"} << 0.0 << 2.5;
    // arcctg in (0; pi) and cth = 1/th, against mpmath (pi/2 - atan(x), coth(x)).
    QTest::newRow("arcctg(1) = pi/4")
        << QStringList{"arcctg(x)", "arccot(x)"} << 1.0 << 0.78539816339744830962;
    QTest::newRow("arcctg(-1) = 3pi/4")
        << QStringList{"arcctg(x)", "arccot(x)"} << -1.0 << 2.3561944901923449288;
    QTest::newRow("arcctg(0) = pi/2") << QStringList{"arcctg(x)"} << 0.0 << 1.5707963267948966192;
    QTest::newRow("arcctg(1000)") << QStringList{"arcctg(x)"} << 1000.0
                                  << 0.00099999966666686666652;
    QTest::newRow("arcctg(-1000)") << QStringList{"arcctg(x)"} << -1000.0 << 3.1405926539231263718;
    QTest::newRow("cth(1)") << QStringList{"cth(x)", "coth(x)"} << 1.0 << 1.3130352854993313036;
    QTest::newRow("cth(-0,5)") << QStringList{"cth(x)", "coth(x)"} << -0.5
                               << -2.1639534137386528488;
    QTest::newRow("cth(0,001)") << QStringList{"cth(x)"} << 0.001 << 1000.0003333333111111;
    QTest::newRow("sin (x) with a space") << QStringList{"sin (x)"} << M_PI_2 << 1.0;
    // The program's own integrand, by hand: ln 6 = 1.79175946922805500,
    // divided by 6 and cubed.
    QTest::newRow("(ln(x)/x)^3 at 6") << QStringList{"(ln(x)/x)^3"} << 6.0 << 0.0266308711832792937;
    QTest::newRow("(ln(x)/x)^3 at 2") << QStringList{"(ln(x)/x)^3"} << 2.0 << 0.0416280814986161850;
    QTest::newRow("(ln x/x)^3 at 0,5") << QStringList{"(ln(x)/x)^3"} << 0.5 << -2.66419721591143584;
}

void ExpressionTest::values()
{
    QFETCH(QStringList, texts);
    QFETCH(double, x);
    QFETCH(double, expected);
    for (const QString &text : texts) {
        const std::string t = utf8(text);
        const Result<Program> p = parseExpression(t);
        if (!p.ok())
            QFAIL(describeExpressionRefusal(p.refusal(), t).c_str());
        const double got = evaluate(*p, x);
        // libm's functions are within an ulp or so; 2^-50 relative is a few.
        QVERIFY2(std::fabs(got - expected) <= std::ldexp(std::max(1.0, std::fabs(expected)), -50),
                 qPrintable(QStringLiteral("%1: %2 != %3")
                                .arg(text)
                                .arg(got, 0, 'g', 17)
                                .arg(expected, 0, 'g', 17)));
    }
}

void ExpressionTest::shape_data()
{
    // Every spelling in a row compiles to the same steps.
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QString>("steps");
    QTest::addColumn<int>("depth");

    QTest::newRow("x^3 whole") << QStringList{"x^3"} << "x ^3" << 1;
    QTest::newRow("x^-2 and x^(\u22122) whole")
        << QStringList{"x^-2", "x^(\u22122)"} << "x ^-2" << 1;
    QTest::newRow("x^+2 whole") << QStringList{"x^+2"} << "x ^2" << 1;
    QTest::newRow("x^2,0 whole") << QStringList{"x^2,0", "x^2.0", "x^2,000", "x^(2)", "x^+2,0"}
                                 << "x ^2" << 1;
    QTest::newRow("x^1e2 whole") << QStringList{"x^1e2", "x^1E+2", "x^0,001e5", "x^100"} << "x ^100"
                                 << 1;
    QTest::newRow("x^1e1 whole") << QStringList{"x^1e1", "x^10"} << "x ^10" << 1;
    QTest::newRow("x^(1+1) whole")
        << QStringList{"x^(1+1)",     "x^(4/2)",    "x^(3-1)",     "x^(2*1)",
                       "x^(0,5+1,5)", "x^(0,1*20)", "x^(1/3+5/3)", "x^(2(1))"}
        << "x ^2" << 1;
    QTest::newRow("x^(2*3) whole") << QStringList{"x^(2*3)", "x^((1+2)*2)"} << "x ^6" << 1;
    QTest::newRow("x^-(4/2) whole")
        << QStringList{"x^-(4/2)", "x^(-6/3)", "x^(\u2212(1+1))", "x^(2-4)", "x^--(-2)"} << "x ^-2"
        << 1;
    QTest::newRow("x^(1-1) whole") << QStringList{"x^(1-1)", "x^0,0", "x^-0"} << "x ^0" << 1;
    QTest::newRow("(x+1)^(4/2)*3") << QStringList{"(x+1)^(4/2)*3"} << "x 1 + ^2 3 *" << 2;
    QTest::newRow("x^2147483647 within PowInt")
        << QStringList{"x^2147483647", "x^(2147483646+1)"} << "x ^2147483647" << 1;
    QTest::newRow("x^-2147483647 within PowInt")
        << QStringList{"x^-2147483647"} << "x ^-2147483647" << 1;
    // What is not folded stays a general power, and its exponent as typed.
    QTest::newRow("x^99999999999 beyond PowInt")
        << QStringList{"x^99999999999"} << "x 99999999999 ^" << 2;
    QTest::newRow("x^(2147483647+1) beyond PowInt")
        << QStringList{"x^(2147483647+1)"} << "x 2147483647 1 + ^" << 3;
    QTest::newRow("x^0,5 not whole") << QStringList{"x^0,5"} << "x 0.5 ^" << 2;
    QTest::newRow("x^(1/3) not whole") << QStringList{"x^(1/3)"} << "x 1 3 / ^" << 3;
    QTest::newRow("x^(0,1+0,2) not whole") << QStringList{"x^(0,1+0,2)"} << "x 0.1 0.2 + ^" << 3;
    QTest::newRow("x^(pi/pi) not folded") << QStringList{"x^(pi/pi)"} << "x pi pi / ^" << 3;
    QTest::newRow("x^(2e) not folded") << QStringList{"x^(2e)"} << "x 2 e * ^" << 3;
    QTest::newRow("x^abs(2) not folded") << QStringList{"x^abs(2)"} << "x 2 abs ^" << 2;
    QTest::newRow("x^(1/0) not folded") << QStringList{"x^(1/0)"} << "x 1 0 / ^" << 3;
    QTest::newRow("x^x not folded") << QStringList{"x^(x-x+2)"} << "x x x - 2 + ^" << 3;
    QTest::newRow("a power in the exponent not folded")
        << QStringList{"2^(1+1)^(1+1)"} << "2 1 1 + ^2 ^" << 3;
    // 1e18*10 leaves int64 on the way, though the whole is 10.
    QTest::newRow("x^(1e18*10/1e18) not folded")
        << QStringList{"x^(1e18*10/1e18)"} << "x 1e18 10 * 1e18 / ^" << 3;
    QTest::newRow("constants outside an exponent stay") << QStringList{"4/2"} << "4 2 /" << 2;
    QTest::newRow("2^3^2") << QStringList{"2^3^2"} << "2 3 ^2 ^" << 2;
    QTest::newRow("-x^2") << QStringList{"-x^2"} << "x ^2 neg" << 1;
    QTest::newRow("-2*3") << QStringList{"-2*3"} << "2 neg 3 *" << 2;
    QTest::newRow("x+x*x") << QStringList{"x+x*x"} << "x x x * +" << 3;
    QTest::newRow("(x+1)(x-1)") << QStringList{"(x+1)(x-1)"} << "x 1 + x 1 - *" << 3;
    QTest::newRow("2x^2") << QStringList{"2x^2"} << "2 x ^2 *" << 2;
    QTest::newRow("literal keeps a point") << QStringList{"0,1"} << "0.1" << 1;
    QTest::newRow("literal exponent normalised") << QStringList{"2E\u22123"} << "2e-3" << 1;
    QTest::newRow("2e is constant e") << QStringList{"2e"} << "2 e *" << 2;
    QTest::newRow("pi and π") << QStringList{"pi+π"} << "pi pi +" << 2;
}

void ExpressionTest::shape()
{
    QFETCH(QStringList, texts);
    QFETCH(QString, steps);
    QFETCH(int, depth);
    for (const QString &text : texts) {
        const Result<Program> p = parseExpression(utf8(text));
        QVERIFY2(p.ok(), qPrintable(text));
        QCOMPARE(postfix(*p), steps);
        QCOMPARE(p->stackDepth, std::size_t(depth));
    }
}

void ExpressionTest::foldedPowerAtItsSign_data()
{
    // A folded exponent leaves no steps of its own: the power is placed at
    // its '^', in characters from 0.
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("position");
    QTest::newRow("x^(4/2)") << "x^(4/2)" << 1;
    QTest::newRow("1 + x ^ 2,0") << "1 + x ^ 2,0" << 6;
    QTest::newRow("(x+1)^(1+1)") << "(x+1)^(1+1)" << 5;
    QTest::newRow("π·x^-(4/2), π one character") << "πx^-(4/2)" << 2;
}

void ExpressionTest::foldedPowerAtItsSign()
{
    QFETCH(QString, text);
    QFETCH(int, position);
    const Result<Program> p = parseExpression(utf8(text));
    QVERIFY(p.ok());
    int powers = 0;
    for (const Step &s : p->steps) {
        if (s.op != Op::PowInt)
            continue;
        ++powers;
        QCOMPARE(s.position, std::size_t(position));
    }
    QCOMPARE(powers, 1);
}

void ExpressionTest::refusals_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<Reason>("reason");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("message");

    QTest::newRow("empty") << QByteArray("") << Reason::EmptyExpression << 0 << "Пустое выражение";
    QTest::newRow("spaces") << QByteArray("  ") << Reason::EmptyExpression << 0
                            << "Пустое выражение";
    QTest::newRow("foo") << QByteArray("foo") << Reason::UnknownName << 0
                         << "Неизвестное имя „foo“ (переменная — x)";
    QTest::newRow("Cyrillic х") << QByteArray("2*х") << Reason::CyrillicX << 2
                                << "Кириллическая „х“; переменная — латинская x";
    QTest::newRow("Cyrillic Х") << QByteArray("Х^2") << Reason::CyrillicX << 0
                                << "Кириллическая „Х“; переменная — латинская x";
    QTest::newRow("Cyrillic х in a call") << QByteArray("sin(х)") << Reason::CyrillicX << 4
                                          << "Кириллическая „х“; переменная — латинская x";
    // Positions count characters: х is two bytes, one character.
    QTest::newRow("Cyrillic х twice, the first named")
        << QByteArray("1+2х*х") << Reason::CyrillicX << 3
        << "Кириллическая „х“; переменная — латинская x";
    QTest::newRow("Cyrillic хх is a name")
        << QByteArray("хх") << Reason::UnknownName << 0 << "Неизвестное имя „хх“ (переменная — x)";
    QTest::newRow("Latin e, Cyrillic х")
        << QByteArray("eх") << Reason::UnknownName << 0 << "Неизвестное имя „eх“ (переменная — x)";
    QTest::newRow("xe is one name")
        << QByteArray("xe") << Reason::UnknownName << 0 << "Неизвестное имя „xe“ (переменная — x)";
    QTest::newRow("sinx is one name") << QByteArray("1+sinx") << Reason::UnknownName << 2
                                      << "Неизвестное имя „sinx“ (переменная — x)";
    QTest::newRow("capital X") << QByteArray("X") << Reason::NameInCapitals << 0
                               << "Имена пишутся строчными: x";
    QTest::newRow("Pi") << QByteArray("2*Pi") << Reason::NameInCapitals << 2
                        << "Имена пишутся строчными: pi";
    QTest::newRow("PI after π") << QByteArray("π+PI") << Reason::NameInCapitals << 2
                                << "Имена пишутся строчными: pi";
    QTest::newRow("Sin") << QByteArray("Sin(x)") << Reason::NameInCapitals << 0
                         << "Имена пишутся строчными: sin";
    QTest::newRow("SQRT without a bracket")
        << QByteArray("1+SQRT x") << Reason::NameInCapitals << 2 << "Имена пишутся строчными: sqrt";
    QTest::newRow("ArcTg") << QByteArray("ArcTg(x)") << Reason::NameInCapitals << 0
                           << "Имена пишутся строчными: arctg";
    QTest::newRow("E after a number")
        << QByteArray("2E") << Reason::NameInCapitals << 1 << "Имена пишутся строчными: e";
    QTest::newRow("Log") << QByteArray("Log(x)") << Reason::AmbiguousLog << 0
                         << "log неоднозначен: ln или lg";
    QTest::newRow("Sinx") << QByteArray("Sinx") << Reason::UnknownName << 0
                          << "Неизвестное имя „Sinx“ (переменная — x)";
    QTest::newRow("log") << QByteArray("log(x)") << Reason::AmbiguousLog << 0
                         << "log неоднозначен: ln или lg";
    QTest::newRow("sin x") << QByteArray("sin x") << Reason::FunctionNeedsBracket << 0
                           << "Аргумент sin в позиции 1 пишется в скобках: sin(…)";
    QTest::newRow("ln at the end") << QByteArray("2*ln") << Reason::FunctionNeedsBracket << 2
                                   << "Аргумент ln в позиции 3 пишется в скобках: ln(…)";
    QTest::newRow("sin(x") << QByteArray("sin(x") << Reason::UnclosedBracket << 3
                           << "Не закрыта скобка, открытая в позиции 4";
    QTest::newRow("innermost unclosed") << QByteArray("(x+(1") << Reason::UnclosedBracket << 3
                                        << "Не закрыта скобка, открытая в позиции 4";
    QTest::newRow("x+1)") << QByteArray("x+1)") << Reason::UnmatchedClosingBracket << 3
                          << "Лишняя закрывающая скобка в позиции 4";
    QTest::newRow("(x+1))*2") << QByteArray("(x+1))*2") << Reason::UnmatchedClosingBracket << 5
                              << "Лишняя закрывающая скобка в позиции 6";
    QTest::newRow("x+*2") << QByteArray("x+*2") << Reason::ExpectedOperand << 2
                          << "Ожидалось число, x или функция в позиции 3";
    QTest::newRow("2*(x+)") << QByteArray("2*(x+)") << Reason::ExpectedOperand << 5
                            << "Ожидалось число, x или функция в позиции 6";
    QTest::newRow("()") << QByteArray("()") << Reason::ExpectedOperand << 1
                        << "Ожидалось число, x или функция в позиции 2";
    QTest::newRow("x+ at the end") << QByteArray("x+ ") << Reason::ExpectedOperand << 3
                                   << "Ожидалось число, x или функция в конце выражения";
    QTest::newRow("minus alone") << QByteArray("\xE2\x88\x92") << Reason::ExpectedOperand << 1
                                 << "Ожидалось число, x или функция в конце выражения";
    QTest::newRow("x2") << QByteArray("x2") << Reason::ExpectedOperator << 1
                        << "Пропущен знак действия перед числом в позиции 2";
    QTest::newRow("2 3") << QByteArray("2 3") << Reason::ExpectedOperator << 2
                         << "Пропущен знак действия перед числом в позиции 3";
    QTest::newRow("1,2,3") << QByteArray("1,2,3") << Reason::ExpectedOperator << 3
                           << "Пропущен знак действия перед числом в позиции 4";
    QTest::newRow("sin(x, 2)") << QByteArray("sin(x, 2)") << Reason::UnexpectedCharacter << 5
                               << "Запятая в позиции 6 не относится к числу: у функций один "
                                  "аргумент";
    QTest::newRow("x#2") << QByteArray("x#2") << Reason::UnexpectedCharacter << 1
                         << "Недопустимый знак „#“ в позиции 2";
    QTest::newRow("x+√x") << QByteArray("x+√x") << Reason::UnexpectedCharacter << 2
                          << "Недопустимый знак „√“ в позиции 3";
    QTest::newRow("1e999") << QByteArray("1e999") << Reason::NumberOutOfRange << 0
                           << "Число в позиции 1 слишком велико";
    QTest::newRow("x+1e400*2") << QByteArray("x+1e400*2") << Reason::NumberOutOfRange << 2
                               << "Число в позиции 3 слишком велико";
    QTest::newRow("NUL") << QByteArray("x\0+1", 4) << Reason::ControlCharacter << 1
                         << "Управляющий символ в позиции 2";
    QTest::newRow("line break") << QByteArray("x\n") << Reason::ControlCharacter << 1
                                << "Управляющий символ в позиции 2";
    QTest::newRow("tab") << QByteArray("x\t+1") << Reason::ControlCharacter << 1
                         << "Управляющий символ в позиции 2";
    QTest::newRow("tab before a bracket") << QByteArray("sin\t(x)") << Reason::ControlCharacter << 3
                                          << "Управляющий символ в позиции 4";
    QTest::newRow("DEL") << QByteArray("x\x7f") << Reason::ControlCharacter << 1
                         << "Управляющий символ в позиции 2";
    // Positions count characters: π is two bytes, one character.
    QTest::newRow("π then bad byte") << QByteArray("π+\xff") << Reason::InvalidUtf8 << 2
                                     << "Испорченный символ (не UTF-8) в позиции 3";
    QTest::newRow("π then foo") << QByteArray("π+foo") << Reason::UnknownName << 2
                                << "Неизвестное имя „foo“ (переменная — x)";
    QTest::newRow("overlong /") << QByteArray("\xC0\xAF") << Reason::InvalidUtf8 << 0
                                << "Испорченный символ (не UTF-8) в позиции 1";
    QTest::newRow("surrogate") << QByteArray("x\xED\xA0\x80") << Reason::InvalidUtf8 << 1
                               << "Испорченный символ (не UTF-8) в позиции 2";
    QTest::newRow("truncated") << QByteArray("x+\xE2\x88") << Reason::InvalidUtf8 << 2
                               << "Испорченный символ (не UTF-8) в позиции 3";
    QTest::newRow("beyond U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << Reason::InvalidUtf8 << 0
                                     << "Испорченный символ (не UTF-8) в позиции 1";
}

void ExpressionTest::refusals()
{
    QFETCH(QByteArray, text);
    QFETCH(Reason, reason);
    QFETCH(int, position);
    QFETCH(QString, message);
    const std::string t(text.constData(), text.size());
    const Result<Program> p = parseExpression(t);
    QVERIFY(!p.ok());
    QCOMPARE(p.reason(), reason);
    QCOMPARE(p.refusal().input, std::optional<Input>(Input::Integrand));
    QCOMPARE(p.refusal().position, std::optional<std::size_t>(position));
    QCOMPARE(QString::fromStdString(describeExpressionRefusal(p.refusal(), t)), message);
}

void ExpressionTest::hostile_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<Reason>("reason");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("message");

    QTest::newRow("1 MB") << QByteArray(1 << 20, 'x').replace(1, 1, "+")
                          << Reason::ExpressionTooLong << 10000
                          << "Выражение длиннее 10 000 знаков";
    QTest::newRow("100 000 brackets")
        << QByteArray(100000, '(') + "x" + QByteArray(100000, ')') << Reason::ExpressionTooLong
        << 10000 << "Выражение длиннее 10 000 знаков";
    QTest::newRow("1 MB of NUL") << QByteArray(1 << 20, '\0') << Reason::ExpressionTooLong << 10000
                                 << "Выражение длиннее 10 000 знаков";
    QByteArray pis;
    for (int i = 0; i < 10001; ++i)
        pis += "π";
    QTest::newRow("10 001 π in 20 002 bytes")
        << pis << Reason::ExpressionTooLong << 10000 << "Выражение длиннее 10 000 знаков";
    QTest::newRow("257 brackets") << QByteArray(257, '(') + "x" + QByteArray(257, ')')
                                  << Reason::NestingTooDeep << 256
                                  << "Слишком глубокая вложенность в позиции 257: не больше 256 "
                                     "открытых скобок и знаков подряд";
    QTest::newRow("5000 brackets") << QByteArray(5000, '(') << Reason::NestingTooDeep << 256
                                   << "Слишком глубокая вложенность в позиции 257: не больше 256 "
                                      "открытых скобок и знаков подряд";
    QTest::newRow("9000 signs") << QByteArray(9000, '-') + "x" << Reason::NestingTooDeep << 256
                                << "Слишком глубокая вложенность в позиции 257: не больше 256 "
                                   "открытых скобок и знаков подряд";
    QByteArray tower = "2";
    for (int i = 0; i < 3000; ++i)
        tower += "^2";
    QTest::newRow("tower of 3000 powers")
        << tower << Reason::NestingTooDeep << 513
        << "Слишком глубокая вложенность в позиции 514: не больше 256 открытых скобок и "
           "знаков подряд";
    QByteArray calls;
    for (int i = 0; i < 2000; ++i)
        calls += "sin(";
    QTest::newRow("2000 calls") << calls << Reason::NestingTooDeep << 1027
                                << "Слишком глубокая вложенность в позиции 1028: не больше 256 "
                                   "открытых скобок и знаков подряд";
    // A fixed pseudo-random megabyte: refused by its length before any byte is read.
    QByteArray noise(1 << 20, '\0');
    quint32 state = 12345;
    for (char &c : noise) {
        state = state * 1664525u + 1013904223u;
        c = static_cast<char>(state >> 24);
    }
    QTest::newRow("random megabyte")
        << noise << Reason::ExpressionTooLong << 10000 << "Выражение длиннее 10 000 знаков";
}

void ExpressionTest::hostile()
{
    QFETCH(QByteArray, text);
    QFETCH(Reason, reason);
    QFETCH(int, position);
    QFETCH(QString, message);
    const std::string t(text.constData(), text.size());
    const Result<Program> p = parseExpression(t);
    QVERIFY(!p.ok());
    const QString said = QString::fromStdString(describeExpressionRefusal(p.refusal(), t));
    QCOMPARE(p.reason(), reason);
    QCOMPARE(p.refusal().position, std::optional<std::size_t>(position));
    QCOMPARE(said, message);
}

// The limits themselves are allowed: exactly 10 000 characters, 256 brackets
// open at once (the last around the x+1 that waits inside 255 of them), 256
// nested calls; such programs evaluate.
void ExpressionTest::limitsAreReachable()
{
    std::string sum = "x";
    while (sum.size() + 2 <= kMaxExpressionLength)
        sum += "+x";
    sum.resize(kMaxExpressionLength, ' ');
    const Result<Program> p = parseExpression(sum);
    QVERIFY(p.ok());
    QCOMPARE(evaluate(*p, 1.0), 5000.0);
    QCOMPARE(p->stackDepth, std::size_t(2));
    QCOMPARE(parseExpression(sum + " ").refusal().position, std::optional<std::size_t>(10000));

    const std::string brackets =
        std::string(kMaxNesting - 1, '(') + "(x)+1" + std::string(kMaxNesting - 1, ')');
    const Result<Program> b = parseExpression(brackets);
    QVERIFY(b.ok());
    QCOMPARE(evaluate(*b, 2.0), 3.0);
    QCOMPARE(parseExpression("(" + brackets + ")").reason(), Reason::NestingTooDeep);

    std::string calls;
    for (std::size_t i = 0; i < kMaxNesting; ++i)
        calls += "abs(";
    calls += "x" + std::string(kMaxNesting, ')');
    const Result<Program> c = parseExpression(calls);
    QVERIFY(c.ok());
    QCOMPARE(evaluate(*c, -2.0), 2.0);

    // Right-nested sums hold a value per level: the depth the stack needs.
    std::string deep = "x";
    for (int i = 0; i < 100; ++i)
        deep = "x+(" + deep + ")";
    const Result<Program> d = parseExpression(deep);
    QVERIFY(d.ok());
    QCOMPARE(d->stackDepth, std::size_t(101));
    QCOMPARE(evaluate(*d, 1.0), 101.0);
}

void ExpressionTest::everyControlCharacter()
{
    std::vector<char32_t> controls;
    for (char32_t c = 1; c < 0x20; ++c)
        controls.push_back(c);
    for (char32_t c = 0x7F; c <= 0x9F; ++c)
        controls.push_back(c);
    controls.push_back(0x2028);
    for (char32_t c : controls) {
        const std::string t = "x+" + QString::fromUcs4(&c, 1).toStdString() + "1";
        const Result<Program> p = parseExpression(t);
        QVERIFY2(!p.ok() && p.reason() == Reason::ControlCharacter &&
                     p.refusal().position == std::optional<std::size_t>(2),
                 qPrintable(QString::number(c, 16)));
    }
}

void ExpressionTest::blockEqualsScalar_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("integrand") << "(ln(x)/x)^3";
    QTest::newRow("every function")
        << "sin(x)+cos(x)-tg(x)*ctg(x)/arcsin(x/9)+arccos(x/9)-arctg(x)+sh(x/99)"
           "-ch(x/99)+th(x)+exp(x/99)+ln(x)+lg(x)-sqrt(x)+cbrt(x)+abs(x)";
    QTest::newRow("powers") << "x^2+x^3-x^-2+x^7+x^(-5)+x^0+x^x+2^x+x^0,5";
    QTest::newRow("constants and depth") << "1/(x+(2pi-(e*(x-(0,1+x)))))";
    QTest::newRow("poles") << "1/x + 1/(x-1) + ln(x) + sqrt(x-2)";
}

// Bit for bit over points that include zeros of both signs, infinities, NaN,
// subnormals and the largest doubles, over several whole blocks and a part of
// one, written into a separate array and in place.
void ExpressionTest::blockEqualsScalar()
{
    QFETCH(QString, text);
    const Result<Program> p = parseExpression(utf8(text));
    QVERIFY(p.ok());
    std::vector<double> x = {0.0,
                             -0.0,
                             1.0,
                             -1.0,
                             std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::quiet_NaN(),
                             std::numeric_limits<double>::denorm_min(),
                             std::numeric_limits<double>::max(),
                             -std::numeric_limits<double>::max(),
                             1e-300,
                             M_PI};
    for (int i = 0; x.size() < 1000; ++i)
        x.push_back(-7.3 + 0.0151 * i);
    std::vector<double> y(x.size());
    evaluate(*p, x.data(), y.data(), x.size());
    std::vector<double> inPlace = x;
    evaluate(*p, inPlace.data(), inPlace.data(), inPlace.size());
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double one = evaluate(*p, x[i]);
        QVERIFY2(sameBits(y[i], one) && sameBits(inPlace[i], one),
                 qPrintable(QStringLiteral("x=%1: block %2, single %3")
                                .arg(x[i], 0, 'g', 17)
                                .arg(y[i], 0, 'g', 17)
                                .arg(one, 0, 'g', 17)));
    }
}

// The typed integrand is the program's own f, bit for bit, at the graph's points.
void ExpressionTest::integrandMatchesTheCompiledOne()
{
    const Result<Program> p = parseExpression("(ln(x)/x)^3");
    QVERIFY(p.ok());
    std::vector<double> x;
    for (double v = 1; v <= 6; v += 0.001)
        x.push_back(v);
    std::vector<double> y(x.size());
    evaluate(*p, x.data(), y.data(), x.size());
    for (std::size_t i = 0; i < x.size(); ++i)
        QVERIFY(sameBits(y[i], kvadrolab::f(x[i])));
}

void ExpressionTest::exactNumbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("program"); // the steps kept: the exact number
    // The nearest doubles, by hand: M_PI and friends are the doubles nearest
    // pi, e and sqrt(2), and halving or doubling them is exact.
    QTest::newRow("a comma") << "1,5" << 1.5 << "1.5";
    QTest::newRow("spaces around") << " 0.1 " << 0.1 << "0.1";
    QTest::newRow("an exponent") << "1e-6" << 1e-6 << "1e-6";
    QTest::newRow("a minus sign") << "\u22122,5" << -2.5 << "2.5 neg";
    QTest::newRow("pi") << "pi" << M_PI << "pi";
    QTest::newRow("pi/2") << "pi/2" << M_PI / 2 << "pi 2 /";
    QTest::newRow("2pi") << "2pi" << 2 * M_PI << "2 pi *";
    QTest::newRow("e") << "e" << M_E << "e";
    QTest::newRow("sqrt(2)") << "sqrt(2)" << M_SQRT2 << "2 sqrt";
    QTest::newRow("1/3") << "1/3" << 1.0 / 3 << "1 3 /";
}

void ExpressionTest::exactNumbers()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QFETCH(QString, program);
    const Result<ExactNumber> n = readExactNumber(utf8(text));
    QVERIFY(n);
    QCOMPARE(n->value, value);
    QCOMPARE(postfix(n->program), program);
}

void ExpressionTest::exactNumberRefusals_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<Reason>("reason");
    QTest::addColumn<int>("position");
    QTest::newRow("x alone") << "x" << Reason::NotANumber << 0;
    QTest::newRow("x in a product") << "2x" << Reason::NotANumber << 1;
    QTest::newRow("x inside a function") << "sin(pi x)" << Reason::NotANumber << 7;
    QTest::newRow("a word") << "abc" << Reason::UnknownName << 0;
    QTest::newRow("empty") << "" << Reason::EmptyExpression << 0;
    QTest::newRow("a bracket left open") << "(1+pi" << Reason::UnclosedBracket << 0;
    QTest::newRow("two separators") << "1,2,3" << Reason::ExpectedOperator << 3;
    QTest::newRow("past double") << "1e400" << Reason::NumberOutOfRange << 0;
    QTest::newRow("1/0") << "1/0" << Reason::NonFiniteInput << 0;
    QTest::newRow("an overflow") << "1e308*10" << Reason::NonFiniteInput << 0;
    QTest::newRow("a root of -1") << "sqrt(-1)" << Reason::NonFiniteInput << 0;
}

void ExpressionTest::exactNumberRefusals()
{
    QFETCH(QString, text);
    QFETCH(Reason, reason);
    QFETCH(int, position);
    const Result<ExactNumber> n = readExactNumber(utf8(text));
    QVERIFY(!n);
    QCOMPARE(n.reason(), reason);
    QCOMPARE(n.refusal().position, std::optional<std::size_t>(position));
}
QTEST_GUILESS_MAIN(ExpressionTest)
#include "expressiontest.moc"
