// SPDX-License-Identifier: GPL-3.0-or-later
#include "studywindow/studyhelp.h"

#include <QShortcut>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <QWidget>

namespace kvadrolab {

QString studyHelpHtml()
{
    return QStringLiteral(R"(
<h3>Как записать f(x)</h3>
<ul>
<li>Числа — как в полях: <code>1,5</code> и <code>1.5</code>, <code>2e-3</code> = 0,002;
переменная <code>x</code>; константы <code>pi</code> (<code>π</code>) и <code>e</code>.</li>
<li>Действия <code>+ − * / ^</code> и скобки; <code>2^3^2</code> = 2<sup>9</sup>,
<code>−x^2</code> = −(x²).</li>
<li>Функции, аргумент всегда в скобках: <code>sin cos tg ctg arcsin arccos arctg
arcctg sh ch th cth exp ln lg sqrt cbrt abs</code>. <code>sin x</code> без скобок и <code>log</code> не
принимаются.</li>
<li>Знак умножения можно опустить перед именем или скобкой: <code>2x</code>,
<code>x sin(x)</code>, <code>(x+1)(x−1)</code>; <code>1/2x</code> = x/2.</li>
<li>Ошибка в записи видна под полем сразу, с отмеченным местом.</li>
<li>a, b и ε — числа или выражения без x: <code>pi/2</code>, <code>2pi</code>, <code>e</code>,
<code>sqrt(2)</code>, <code>1/3</code>. Это ровно набранные числа (0,1 — это 1/10): на них
доказываются интеграл и M<sub>k</sub>, а правила считаются между ближайшими к ним числами
double.</li>
</ul>

<h3>Методы и их априорные оценки</h3>
<p>h = (b − a)/n, M<sub>k</sub> = max |f<sup>(k)</sup>(x)| на [a; b]; программа доказывает
M<sub>k</sub> (границы снизу и сверху) и берёт для оценки верхнюю границу.</p>
<table border="1" cellspacing="0" cellpadding="3">
<tr><th>метод</th><th>n</th><th>порядок p</th><th>|e(n)| ≤</th></tr>
<tr><td>левые и правые прямоугольники</td><td>любое</td><td>1</td><td>(b − a)·h·M1/2</td></tr>
<tr><td>средние прямоугольники</td><td>любое</td><td>2</td><td>(b − a)·h²·M2/24</td></tr>
<tr><td>трапеции</td><td>любое</td><td>2</td><td>(b − a)·h²·M2/12</td></tr>
<tr><td>Симпсон</td><td>чётное</td><td>4</td><td>(b − a)·h⁴·M4/180</td></tr>
<tr><td>Симпсон 3/8</td><td>кратное 3</td><td>4</td><td>(b − a)·h⁴·M4/80</td></tr>
<tr><td>Буль</td><td>кратное 4</td><td>6</td><td>2·(b − a)·h⁶·M6/945</td></tr>
<tr><td>Гаусс, 2 узла на отрезок</td><td>любое</td><td>4</td><td>(b − a)·h⁴·M4/4320</td></tr>
<tr><td>Гаусс, 3 узла на отрезок</td><td>любое</td><td>6</td><td>(b − a)·h⁶·M6/2016000</td></tr>
</table>
<p>Метод Ромберга уточняет метод трапеций при n = 1, 2, 4, …: R(k, j) = (4<sup>j</sup>·R(k, j−1)
− R(k−1, j−1)) / (4<sup>j</sup> − 1). Адаптивный Симпсон делит пополам те куски, где метод
ещё не достиг своей доли ε. У этих двух методов априорной оценки нет.</p>

<h3>Оценка Рунге и наблюдаемый порядок</h3>
<p>Если погрешность метода ведёт себя как C·h<sup>p</sup>, то при удвоении n она уменьшается
в 2<sup>p</sup> раз, и R(n) = (I(n/2) − I(n)) / (2<sup>p</sup> − 1) оценивает её по двум
вычисленным значениям, без точного ответа. I(n) − R(n) — уточнение по Ричардсону.</p>
<p>Наблюдаемый порядок log₂(|e(n/2)| / |e(n)|) показывает, так ли это. Когда он далёк от p
(например, 0,38 вместо 2, потому что погрешность меняет знак), оценке Рунге верить нельзя:
программа пишет об этом рядом с ней. На [1; 6] при ε = 10<sup>−6</sup> для
(ln x / x)³ Рунге обещает 36 разбиений метода трапеций, а нужно 109.</p>

<h3>Что доказано</h3>
<p>Интеграл и M<sub>k</sub> вычислены в интервальной арифметике: истинное значение лежит в
указанных границах. Если доказать не удалось (особая точка, разрыв производной), программа
называет причину и место, а не показывает число.</p>
)");
}

QWidget *createStudyHelp(QWidget *parent)
{
    auto *help = new QWidget(parent, Qt::Window);
    help->setObjectName(QStringLiteral("StudyHelp"));
    help->setWindowTitle(QStringLiteral("Справка: исследование сходимости"));
    auto *layout = new QVBoxLayout(help);
    auto *text = new QTextBrowser(help);
    text->setObjectName(QStringLiteral("HelpText"));
    text->setAccessibleName(QStringLiteral("Справка"));
    text->setHtml(studyHelpHtml());
    layout->addWidget(text);
    auto *close = new QShortcut(QKeySequence(Qt::Key_Escape), help);
    QObject::connect(close, &QShortcut::activated, help, &QWidget::close);
    help->resize(640, 560);
    return help;
}

} // namespace kvadrolab
