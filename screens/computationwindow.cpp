// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/computationwindow.h"

#include "canvas/plotcanvas.h"
#include "forms/notifier.h"
#include "numbers/numbertext.h"
#include "report/reportfile.h"
#include "screens/intervalends.h"
#include "screens/numberfields.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>

namespace kvadrolab {

namespace {

constexpr double kFieldPoints = 18;
constexpr double kResultPoints = 13.5;

// The one place this window's refusals become words; the field they send the
// user to is the refusal's input.
QString explain(const Refusal &why)
{
    const Input input = why.input.value_or(Input::A);
    switch (why.reason) {
    case Reason::NotANumber:
    case Reason::NonFiniteInput:
        if (input != Input::Count)
            return endNotANumberText(input);
        return QStringLiteral("В поле n (число разбиений) должно быть целое число от 1 до 1000, "
                              "например 600.");
    case Reason::NotWhole:
    case Reason::CountOutOfRange:
        return QStringLiteral("Число разбиений n должно быть целым числом от 1 до 1000.");
    case Reason::OddCount:
        return QStringLiteral("Для метода Симпсона число разбиений n должно быть чётным, "
                              "например 600.");
    case Reason::NodeNotPositive:
        return nodeNotPositiveText(input);
    default:
        break;
    }
    // Near x = 0 the integrand grows past every number the program can hold,
    // and an interval wider than those numbers has no step at all.
    return QStringLiteral("С таким значением %1 интеграл не вычислить: числа выходят за "
                          "допустимые пределы. Возьмите %1 дальше от 0, а отрезок короче.")
        .arg(endName(input));
}

} // namespace

const ComputationWindow::Config &ComputationWindow::trapezoid()
{
    static const Config config{
        .name = "Int_c_t",
        .caption = "Решение методом трапеций",
        .clientWidth = 7950,
        .clientHeight = 6240,
        .frameCaption = "Численное решение методом трапеций",
        .ruleCaption = "По формуле трапеций",
        .reportFileName = "!t.txt",
        .tabOrder = {"Text3", "Text2", "Text1", "toMain", "Text4", "Command2", "Command1"},
        .rule = &kvadrolab::trapezoid,
        .deviation = &deviationTrapezoid,
        .reportMethod = kTrapezoidMethod,
    };
    return config;
}

const ComputationWindow::Config &ComputationWindow::simpson()
{
    static const Config config{
        .name = "Int_c_s",
        .caption = "Решение методом Симпсона",
        .clientWidth = 8010,
        .clientHeight = 6255,
        .frameCaption = "Численное решение методом Симпсона",
        .ruleCaption = "По формуле Симпсона",
        .reportFileName = "!s.txt",
        .tabOrder = {"Text1", "Text2", "Text3", "toMain", "Text4", "Command2", "Command1"},
        .rule = &kvadrolab::simpson,
        .deviation = &deviationSimpson,
        .reportMethod = kSimpsonMethod,
    };
    return config;
}

QString ComputationWindow::startingReportPath(const Config &config)
{
    const QString file = QString::fromUtf8(config.reportFileName);
#ifdef Q_OS_WIN
    return QStringLiteral("C:\\") + file;
#else
    // Without drive letters "C:\!t.txt" would name a file of that odd name in
    // whatever the current folder happens to be.
    return QDir::toNativeSeparators(QDir::home().filePath(file));
#endif
}

std::vector<Control> ComputationWindow::controls(const Config &config, const QString &reportPath)
{
    return {
        {"Frame1", Kind::Frame, nullptr, 120, 120, 7695, 5175, config.frameCaption},
        {"Label1", Kind::Label, "Frame1", 120, 360, 3375, 375,
         "По формуле Ньютона-Лейбница интеграл"},
        {"Picture1", Kind::Picture, "Frame1", 3480, 240, 855, 855, ":/pictures/integrand.svg", 0,
         Bordered},
        {"Label2", Kind::Label, "Frame1", 4440, 360, 855, 375, "считается:"},
        {"Picture2", Kind::Picture, "Frame1", 120, 1200, 6375, 1695,
         ":/pictures/antiderivative.svg", 0, Bordered},
        {"Label3", Kind::Label, "Frame1", 120, 3120, 3375, 255,
         "Вычислите тот же интеграл программой:"},
        {"Label8", Kind::Label, "Frame1", 4200, 3120, 3135, 255,
         "Задать количество разбиений (10-1000) : "},
        {"Label4", Kind::Label, "Frame1", 120, 3360, 2535, 255, "Задать область интегрирования"},
        {"Label5", Kind::Label, "Frame1", 2760, 3360, 255, 495, "[", kFieldPoints},
        {"Text1", Kind::Field, "Frame1", 2880, 3360, 495, 495, "1", kFieldPoints},
        {"Label6", Kind::Label, "Frame1", 3480, 3360, 135, 375, ";", kFieldPoints},
        {"Text2", Kind::Field, "Frame1", 3720, 3360, 495, 495, "6", kFieldPoints},
        {"Label7", Kind::Label, "Frame1", 4200, 3360, 135, 615, "]", kFieldPoints},
        {"Text3", Kind::Field, "Frame1", 6360, 3360, 855, 495, "600", kFieldPoints},
        {"Frame2", Kind::Frame, "Frame1", 120, 4080, 2295, 855, "Точное значение"},
        {"Picture3", Kind::Picture, "Frame2", 120, 240, 2055, 495, ":/pictures/exact.svg", 0,
         Bordered},
        {"Frame3", Kind::Frame, "Frame1", 2520, 4080, 2295, 855, config.ruleCaption},
        {"Picture4", Kind::Canvas, "Frame3", 120, 240, 2055, 495, "", kResultPoints},
        {"Frame4", Kind::Frame, "Frame1", 4920, 4080, 2295, 855, "Погрешность"},
        {"Picture5", Kind::Canvas, "Frame4", 120, 240, 2055, 495, "", kResultPoints},
        {"Frame5", Kind::Frame, nullptr, 240, 5400, 2655, 735, "Укажите путь:"},
        {"Text4", Kind::Field, "Frame5", 120, 240, 2415, 375, reportPath},
        {"Command2", Kind::Button, nullptr, 3120, 5520, 1455, 495, "Сохранить как"},
        {"Command1", Kind::Button, nullptr, 4800, 5520, 1455, 495, "Вычислить"},
        {"toMain", Kind::Button, nullptr, 6480, 5520, 1335, 495, "На главную"},
    };
}

ComputationWindow::ComputationWindow(const Config &config, QWidget *parent)
    : SecondaryWindow(config.name, config.caption, config.clientWidth, config.clientHeight, parent),
      m_config(config), m_form(this, controls(config, startingReportPath(config))),
      m_integralArea(m_form.get<PlotCanvas>("Picture4")),
      m_deviationArea(m_form.get<PlotCanvas>("Picture5"))
{
    nameIntervalFields(field("Text1"), field("Text2"));
    m_form.setAccessibleNames({{"Text3", "Число разбиений n"}, {"Text4", "Путь к файлу отчёта"}});
    for (std::size_t i = 1; i < config.tabOrder.size(); ++i)
        setTabOrder(m_form.widget(QString::fromUtf8(config.tabOrder[i - 1])),
                    m_form.widget(QString::fromUtf8(config.tabOrder[i])));

    connect(m_form.get<QPushButton>("Command1"), &QPushButton::clicked, this,
            &ComputationWindow::compute);
    connect(m_form.get<QPushButton>("Command2"), &QPushButton::clicked, this,
            &ComputationWindow::saveReport);
    bindAction(m_form.get<QPushButton>("Command1"),
               {field("Text1"), field("Text2"), field("Text3")});
    bindReturn(m_form.get<QPushButton>("toMain"));
}

QLineEdit *ComputationWindow::field(const char *name) const
{
    return m_form.get<QLineEdit>(QString::fromUtf8(name));
}

void ComputationWindow::compute()
{
    // Cleared before anything is read, so an old result never stands next to
    // inputs it was not computed from.
    m_integralArea->clear();
    m_deviationArea->clear();

    const NumberFields fields(m_form,
                              {{Input::A, "Text1"}, {Input::B, "Text2"}, {Input::Count, "Text3"}});
    const auto read = fields.read();
    if (!read) {
        fields.showFault(this, read.refusal().input.value(), explain(read.refusal()));
        return;
    }
    const std::vector<double> &v = *read;
    const auto I = m_config.rule(v[0], v[1], v[2], m_samples);
    if (!I) {
        // Every refusal of the rules names its input.
        fields.showFault(this, I.refusal().input.value_or(Input::A), explain(I.refusal()));
        return;
    }
    m_result = Computed{*I, m_config.deviation(*I)};
    m_integralArea->printText(formatFixed(m_result->integral));
    m_deviationArea->printText(formatFixed(m_result->deviation));
}

void ComputationWindow::saveReport()
{
    if (!m_result) {
        notify(this, QStringLiteral("Отчёт пока пуст: сначала нажмите «Вычислить», "
                                    "и в отчёт попадёт результат вычисления."));
        return;
    }
    const ReportContent content =
        reportContent(QString::fromUtf8(m_config.reportMethod), m_result->integral,
                      m_result->deviation, field("Text3")->text());
    // The designed message says nothing of why; the reason stays with the
    // save, for a caller that has more room to say it.
    const bool saved = kvadrolab::saveReport(field("Text4")->text(), content).ok();
    notify(this, saved ? QStringLiteral("Сохранено!")
                       : QStringLiteral("Неправильно указан носитель или он отсутствует!"));
}

} // namespace kvadrolab
