// SPDX-License-Identifier: GPL-3.0-or-later
#include "studywindow/studypictures.h"

#include "canvas/canvasmenu.h"
#include "canvas/plotcanvas.h"
#include "studywindow/chartdrawing.h"
#include "studywindow/derivativechart.h"
#include "studywindow/errorchart.h"
#include "studywindow/rulechart.h"
#include "studywindow/studytabs.h"
#include "studywindow/studytext.h"

#include <QLayout>
#include <QSplitter>
#include <QTabWidget>

#include <algorithm>

namespace kvadrolab {

namespace {

// Text in a chart's place, where a screen reader finds it too.
void sayInPlace(PlotCanvas &canvas, const QString &text)
{
    // Text in place of a chart is no chart to draw again.
    keepChartDrawing(canvas, {}, {});
    canvas.clear();
    canvas.setScale(0, 0, 1, 1);
    canvas.setCurrentX(0.02);
    canvas.setCurrentY(0.02);
    canvas.printText(text);
    canvas.setAccessibleDescription(text);
}

// A chart the canvas cannot hold says so in its place, rather than stay
// empty beside tables that are shown.
void notDrawn(PlotCanvas &canvas, const Refusal &why)
{
    sayInPlace(canvas,
               why.reason == Reason::TooManySegments
                   ? QStringLiteral("Рисунок не построен: слишком много частей для изображения.")
                   : QStringLiteral("Рисунок не построен: значения вне пределов изображения "
                                    "(числа в таблицах верны)."));
}

void layOutHiddenPages(QTabWidget &tabs)
{
    // A tab widget lays out only the page it shows; the charts of the others
    // are drawn (and handed in on the sheet) at the size they will be shown at.
    QWidget *shown = tabs.currentWidget();
    for (int i = 0; i < tabs.count(); ++i) {
        QWidget *page = tabs.widget(i);
        if (page == shown)
            continue;
        page->setGeometry(shown->geometry());
        page->layout()->setGeometry(page->rect());
        for (QSplitter *split : page->findChildren<QSplitter *>())
            split->refresh();
    }
}

} // namespace

StudyPictures::StudyPictures(const StudyTabs &tabs)
    : m_tabs(tabs.widget), m_rulePicture(tabs.picture.canvas), m_errorChart(tabs.errorChart),
      m_derivativeChart(tabs.derivativeChart)
{
    // A chart saved to a file is drawn anew, large and titled; text in its
    // place is saved as it is shown.
    for (PlotCanvas *c : {m_rulePicture, m_errorChart, m_derivativeChart}) {
        setPictureMaker(c, [c] { return chartPicture(*c); });
        // Its own name, before anything printed on it speaks for it.
        m_names.push_back(c->accessibleName());
    }
}

void StudyPictures::setSubject(const QString &formula, const QString &a, const QString &b)
{
    m_subject = studySubject(formula, a, b);
    const QString stem = studyFileStem(formula, a, b);
    PlotCanvas *const canvases[] = {m_rulePicture, m_errorChart, m_derivativeChart};
    for (std::size_t i = 0; i < std::size(canvases); ++i)
        setPictureName(canvases[i], QStringLiteral("%1 — %2").arg(stem, m_names[i]));
}

void StudyPictures::clear()
{
    m_fSamples.clear();
    for (auto &s : m_derivativeSamples)
        s.clear();
    for (PlotCanvas *c : {m_rulePicture, m_errorChart, m_derivativeChart}) {
        keepChartDrawing(*c, {}, {});
        c->clear();
        c->setAccessibleDescription(QStringLiteral("ещё не построено"));
    }
}

void StudyPictures::sample(const Study &s)
{
    // Every drawing of this study, at any n and any size, takes these.
    constexpr int kSamples = 400;
    m_fSamples = derivativeSamples(s.input.program, s.input.a, s.input.b, 0, kSamples);
    m_derivativeSamples[0] = derivativeSamples(s.input.program, s.input.a, s.input.b, 2, kSamples);
    m_derivativeSamples[1] = derivativeSamples(s.input.program, s.input.a, s.input.b, 4, kSamples);
}

void StudyPictures::drawCharts(const Study &s)
{
    layOutHiddenPages(*m_tabs);
    std::vector<StudyRule> studied;
    for (const Result<StudyRule> &rule : s.rules)
        if (rule)
            studied.push_back(*rule);
    const double integral = s.integral.mid;
    if (drawErrorCurves(*m_errorChart, studied, integral)) {
        keepChartDrawing(
            *m_errorChart,
            [studied, integral](ChartSurface &surface) {
                return bool(drawErrorCurves(surface, studied, integral));
            },
            m_subject);
        m_errorChart->setAccessibleDescription(
            QStringLiteral("|e(n)| и априорные оценки при n до %1, логарифмические шкалы; "
                           "числа — в таблице удвоения")
                .arg(countText(kStudyCurveLast)));
    } else {
        notDrawn(*m_errorChart, Refusal{Reason::BeyondSinglePrecision});
    }

    const double lo = std::min(s.input.a, s.input.b), hi = std::max(s.input.a, s.input.b);
    const auto panel = [&](std::vector<Sample> samples, int order) {
        DerivativePanel p{std::move(samples), std::nullopt, QString()};
        if (order == 0)
            return p;
        const Result<DerivativeMax> &m = maximumOfOrder(s, order);
        if (m) {
            p.maximum = *m;
            p.note = QStringLiteral("M%1 ≤ %2 при %3")
                         .arg(order)
                         .arg(boundText(m->upper, Rounding::Up), placeOfMaximum(*m, lo, hi));
        } else {
            p.note = QStringLiteral("M%1 не доказана: %2")
                         .arg(order)
                         .arg(proofRefusalText(m.refusal(), lo, hi, order));
        }
        return p;
    };
    const DerivativePanel second = panel(m_derivativeSamples[0], 2);
    const DerivativePanel fourth = panel(m_derivativeSamples[1], 4);
    const DerivativePanel first = panel(m_fSamples, 0);
    if (const Result<void> drawn =
            drawDerivatives(*m_derivativeChart, lo, hi, first, second, fourth)) {
        keepChartDrawing(
            *m_derivativeChart,
            [lo, hi, first, second, fourth](ChartSurface &surface) {
                return bool(drawDerivatives(surface, lo, hi, first, second, fourth));
            },
            m_subject);
        m_derivativeChart->setAccessibleDescription(
            QStringLiteral("f, |f''| и |f''''| на отрезке; %1; %2").arg(second.note, fourth.note));
    } else {
        notDrawn(*m_derivativeChart, drawn.refusal());
    }
}

void StudyPictures::drawRule(const Study &s, RuleKind kind, long n)
{
    const auto pieces = rulePieces(s.input.program, kind, s.input.a, s.input.b, n);
    const Result<void> drawn =
        pieces ? drawRuleOnF(*m_rulePicture, kind, n, *pieces, m_fSamples, s.input.a, s.input.b)
               : Result<void>(pieces.refusal());
    if (!drawn) {
        notDrawn(*m_rulePicture, drawn.refusal());
        return;
    }
    keepChartDrawing(
        *m_rulePicture,
        [kind, n, pieces = *pieces, samples = m_fSamples, a = s.input.a,
         b = s.input.b](ChartSurface &surface) {
            return bool(drawRuleOnF(surface, kind, n, pieces, samples, a, b));
        },
        m_subject);
    m_rulePicture->setAccessibleDescription(
        QStringLiteral("f и %1 при n = %2 на отрезке от %3 до %4")
            .arg(methodName(kind), countText(n),
                 shownDecimal(decimalText(s.input.a, 8, Rounding::Nearest)),
                 shownDecimal(decimalText(s.input.b, 8, Rounding::Nearest))));
}

void StudyPictures::sayOnRulePicture(const QString &text)
{
    sayInPlace(*m_rulePicture, text);
}

} // namespace kvadrolab
