// SPDX-License-Identifier: GPL-3.0-or-later
#include "studywindow/studyinputs.h"

#include "expression/parser.h"
#include "expression/refusaltext.h"
#include "studywindow/studytext.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace kvadrolab {

namespace {

constexpr char kStartFormula[] = "(ln(x)/x)^3";
// The slider covers the counts a picture shows piece by piece; the spin box
// takes any count up to the limit.
constexpr int kSliderLimit = 100;

QString ruleObjectName(RuleKind kind)
{
    return QStringLiteral("Rule_") + QString::fromLatin1(ruleInfo(kind).name);
}

// n's spin box: its arrows go from multiple to multiple of the drawn rule's
// (from 5 up to 6 and down to 4 for Simpson's), typing takes any n.
class CountSpinBox : public QSpinBox
{
public:
    using QSpinBox::QSpinBox;

    void setMultiple(int multiple) { m_multiple = std::max(multiple, 1); }

    void stepBy(int steps) override
    {
        const int m = m_multiple;
        const int v = value();
        const int below = v / m;           // multiples up to v
        const int above = (v + m - 1) / m; // multiples from v on
        const int to = (steps > 0 ? below + steps : above + steps) * m;
        setValue(std::clamp(to, lowest(), highest()));
        selectAll();
    }

protected:
    StepEnabled stepEnabled() const override
    {
        StepEnabled can = StepNone;
        if (value() < highest())
            can |= StepUpEnabled;
        if (value() > lowest())
            can |= StepDownEnabled;
        return can;
    }

private:
    int lowest() const { return (minimum() + m_multiple - 1) / m_multiple * m_multiple; }
    int highest() const { return maximum() / m_multiple * m_multiple; }

    int m_multiple = 1;
};

} // namespace

StudyInputs::StudyInputs(QWidget *parent) : QWidget(parent)
{
    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    auto *grid = new QGridLayout;
    const auto label = [this](const QString &text, QWidget *buddy) {
        auto *l = new QLabel(text, this);
        l->setBuddy(buddy);
        return l;
    };

    m_formula = new QLineEdit(QString::fromUtf8(kStartFormula), this);
    m_formula->setObjectName(QStringLiteral("Formula"));
    m_formula->setAccessibleName(QStringLiteral("f(x)"));
    auto *helpButton = new QPushButton(QStringLiteral("?"), this);
    helpButton->setObjectName(QStringLiteral("Help"));
    helpButton->setAccessibleName(QStringLiteral("Справка"));
    helpButton->setToolTip(QStringLiteral("Справка: язык функции, методы и их оценки, оценка "
                                          "Рунге и порядок (F1)"));
    helpButton->setFixedWidth(helpButton->sizeHint().height() * 3 / 2);
    connect(helpButton, &QPushButton::clicked, this, &StudyInputs::helpAsked);
    m_formulaError = new QLabel(this);
    m_formulaError->setObjectName(QStringLiteral("FormulaError"));
    m_formulaError->setTextFormat(Qt::RichText);
    m_formulaError->setWordWrap(true);
    // The line keeps its height when empty, so the window does not jump
    // while the student types.
    m_formulaError->setMinimumHeight(m_formulaError->fontMetrics().lineSpacing() + 4);

    grid->addWidget(label(QStringLiteral("f(&x) ="), m_formula), 0, 0);
    grid->addWidget(m_formula, 0, 1, 1, 9);
    grid->addWidget(helpButton, 0, 10);
    grid->addWidget(m_formulaError, 1, 1, 1, 10);

    const auto numberField = [this](const char *name, const char *text, const QString &spoken) {
        auto *f = new QLineEdit(QString::fromUtf8(text), this);
        f->setObjectName(QString::fromUtf8(name));
        f->setAccessibleName(spoken);
        f->setMaximumWidth(f->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 16);
        return f;
    };
    m_a = numberField("Text1", "1", QStringLiteral("Начало отрезка интегрирования a"));
    m_b = numberField("Text2", "6", QStringLiteral("Конец отрезка интегрирования b"));
    m_tolerance = numberField("Text3", "0,000001", QStringLiteral("Допустимая погрешность ε"));
    m_count = new CountSpinBox(this);
    m_count->setObjectName(QStringLiteral("Count"));
    m_count->setAccessibleName(QStringLiteral("Число разбиений n"));
    m_count->setRange(1, int(kCountLimit));
    m_count->setValue(4);
    m_countSlider = new QSlider(Qt::Horizontal, this);
    m_countSlider->setObjectName(QStringLiteral("CountSlider"));
    m_countSlider->setAccessibleName(QStringLiteral("Число разбиений n, ползунок"));
    m_countSlider->setRange(1, kSliderLimit);
    m_countSlider->setValue(4);
    connect(m_countSlider, &QSlider::valueChanged, this, [this](int n) {
        // A drag passes every position: it stops only at the multiples.
        const int snapped = (n + m_multiple / 2) / m_multiple * m_multiple;
        if (snapped != n && snapped >= m_countSlider->minimum() &&
            snapped <= m_countSlider->maximum()) {
            m_countSlider->setValue(snapped);
            return;
        }
        m_count->setValue(n);
    });
    connect(m_count, &QSpinBox::valueChanged, this, [this](int n) {
        followCount(n);
        emit countChanged(n);
    });
    auto *run = new QPushButton(QStringLiteral("Исследовать"), this);
    m_run = run;
    run->setObjectName(QStringLiteral("Command1"));
    run->setDefault(true);
    connect(run, &QPushButton::clicked, this, &StudyInputs::studyAsked);
    for (QLineEdit *f : {m_formula, m_a, m_b, m_tolerance}) {
        connect(f, &QLineEdit::returnPressed, run, &QPushButton::click);
        connect(f, &QLineEdit::textChanged, this, &StudyInputs::edited);
    }
    // A spin box and a slider have no returnPressed: their Enter is caught.
    m_count->installEventFilter(this);
    m_countSlider->installEventFilter(this);

    grid->addWidget(label(QStringLiteral("&a ="), m_a), 2, 0);
    grid->addWidget(m_a, 2, 1);
    grid->addWidget(label(QStringLiteral("&b ="), m_b), 2, 2);
    grid->addWidget(m_b, 2, 3);
    grid->addWidget(label(QStringLiteral("ε ="), m_tolerance), 2, 4);
    grid->addWidget(m_tolerance, 2, 5);
    grid->addWidget(label(QStringLiteral("&n ="), m_count), 2, 6);
    grid->addWidget(m_count, 2, 7);
    grid->addWidget(m_countSlider, 2, 8);
    grid->addWidget(run, 2, 9, 1, 2);
    grid->setColumnStretch(8, 1);
    root->addLayout(grid);

    auto *methods = new QGroupBox(QStringLiteral("Методы"), this);
    methods->setObjectName(QStringLiteral("Methods"));
    m_methods = methods;
    auto *flow = new QGridLayout(methods);
    constexpr int kPerRow = 6;
    int place = 0;
    const auto add = [&](QCheckBox *box) {
        flow->addWidget(box, place / kPerRow, place % kPerRow);
        ++place;
    };
    for (std::size_t i = 0; i < allRules.size(); ++i) {
        const RuleKind kind = allRules[i];
        auto *box = new QCheckBox(methodShortName(kind), methods);
        box->setObjectName(ruleObjectName(kind));
        box->setAccessibleName(methodName(kind));
        box->setChecked(kind == RuleKind::Trapezoid || kind == RuleKind::Simpson);
        connect(box, &QCheckBox::toggled, this, &StudyInputs::edited);
        add(box);
        m_ruleBoxes[i] = box;
    }
    m_rombergBox = new QCheckBox(QStringLiteral("Ромберг"), methods);
    m_rombergBox->setObjectName(QStringLiteral("Rule_romberg"));
    m_rombergBox->setAccessibleName(rombergName());
    add(m_rombergBox);
    m_adaptiveBox = new QCheckBox(QStringLiteral("адаптивный Симпсон"), methods);
    m_adaptiveBox->setObjectName(QStringLiteral("Rule_adaptive"));
    m_adaptiveBox->setAccessibleName(adaptiveName());
    add(m_adaptiveBox);
    for (QCheckBox *box : {m_rombergBox, m_adaptiveBox})
        connect(box, &QCheckBox::toggled, this, &StudyInputs::edited);
    root->addWidget(methods);

    auto *progressRow = new QHBoxLayout;
    m_progressLabel = new QLabel(QStringLiteral("Идёт исследование…"), this);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("Progress"));
    m_progress->setAccessibleName(QStringLiteral("Ход исследования"));
    m_cancel = new QPushButton(QStringLiteral("Отменить"), this);
    m_cancel->setObjectName(QStringLiteral("Cancel"));
    connect(m_cancel, &QPushButton::clicked, this, &StudyInputs::cancelAsked);
    progressRow->addWidget(m_progressLabel);
    progressRow->addWidget(m_progress, 1);
    progressRow->addWidget(m_cancel);
    root->addLayout(progressRow);
    hideProgress();

    connect(m_formula, &QLineEdit::textChanged, this, &StudyInputs::checkFormula);
}

QString StudyInputs::formula() const
{
    return m_formula->text();
}

QLineEdit *StudyInputs::field(Input input) const
{
    switch (input) {
    case Input::A:
        return m_a;
    case Input::B:
        return m_b;
    case Input::Tolerance:
        return m_tolerance;
    default:
        return m_formula;
    }
}

long StudyInputs::count() const
{
    return m_count->value();
}

MethodChoice StudyInputs::chosenMethods() const
{
    MethodChoice m;
    for (std::size_t i = 0; i < allRules.size(); ++i)
        if (m_ruleBoxes[i]->isChecked())
            m.composite.push_back(allRules[i]);
    m.romberg = m_rombergBox->isChecked();
    m.adaptive = m_adaptiveBox->isChecked();
    return m;
}

StudyAsked StudyInputs::typed() const
{
    return {m_formula->text(), m_a->text(), m_b->text(), m_tolerance->text(), chosenMethods()};
}

void StudyInputs::setCountMultiple(int multiple)
{
    m_multiple = std::max(multiple, 1);
    static_cast<CountSpinBox *>(m_count)->setMultiple(m_multiple);
    const QSignalBlocker quiet(m_countSlider);
    m_countSlider->setRange(m_multiple, kSliderLimit / m_multiple * m_multiple);
    m_countSlider->setSingleStep(m_multiple);
    m_countSlider->setPageStep(m_multiple * 5);
    followCount(m_count->value());
}

void StudyInputs::followCount(int n)
{
    const QSignalBlocker quiet(m_countSlider);
    m_countSlider->setValue(std::min(n / m_multiple * m_multiple, m_countSlider->maximum()));
}

bool StudyInputs::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // The n typed counts, as it does when the spin box loses the focus.
            m_count->interpretText();
            m_run->click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

QWidget *StudyInputs::methods() const
{
    return m_ruleBoxes.front();
}

void StudyInputs::pointAt(std::size_t position)
{
    m_formula->setFocus();
    m_formula->setCursorPosition(int(position));
}

Result<ExactNumber> StudyInputs::number(Input input) const
{
    // QString's trimming also takes the Unicode spaces a pasted text brings,
    // as the number fields' reader does.
    return readExactNumber(field(input)->text().trimmed().toStdString());
}

void StudyInputs::pointAt(Input input, const Refusal &why)
{
    QLineEdit *at = field(input);
    at->setFocus();
    // A value out of range is the whole text's fault; a typo, one place.
    if (!why.position || why.reason == Reason::NonFiniteInput) {
        at->selectAll();
        return;
    }
    const QString text = at->text();
    qsizetype leading = 0;
    while (leading < text.size() && text.at(leading).isSpace())
        ++leading;
    const int place = int(leading + qsizetype(*why.position));
    at->setCursorPosition(place);
    if (place < text.size())
        at->setSelection(place, 1);
}

void StudyInputs::showProgress()
{
    m_progress->setValue(0);
    m_progress->show();
    m_progressLabel->show();
    m_cancel->show();
}

void StudyInputs::setProgress(int done, int total)
{
    m_progress->setMaximum(total);
    m_progress->setValue(done);
}

void StudyInputs::hideProgress()
{
    m_progress->hide();
    m_progressLabel->hide();
    m_cancel->hide();
}

void StudyInputs::checkFormula()
{
    const QString text = m_formula->text();
    const Result<Program> parsed = parseExpression(text.toStdString());
    if (parsed) {
        m_formulaError->clear();
        m_formula->setAccessibleDescription(QString());
        return;
    }
    const Refusal &why = parsed.refusal();
    const QString message =
        QString::fromStdString(describeExpressionRefusal(why, text.toStdString()));
    m_formulaError->setText(
        QStringLiteral("<span style=\"color:#b00000\">%1</span>&nbsp;&nbsp;%2")
            .arg(message.toHtmlEscaped(),
                 why.position ? markedFormula(text, *why.position) : QString()));
    m_formula->setAccessibleDescription(message);
}

} // namespace kvadrolab
