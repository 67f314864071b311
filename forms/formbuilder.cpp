// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/formbuilder.h"

#include "canvas/canvasmenu.h"
#include "canvas/plotcanvas.h"
#include "forms/fonts.h"
#include "forms/formulapicture.h"
#include "forms/notifier.h"
#include "forms/staticline.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace kvadrolab {

namespace {

// Past this width a caption is no longer a label of a window (the largest
// window is some 1000 pixels wide): the search for a fitting width stops
// there rather than doubling on for ever.
constexpr int kWidestLabel = 4096;

// The room a button needs beside its caption's text for the frame the style
// draws round it: four pixels a side.
constexpr int kButtonTextMargin = 8;

// Tall enough that a label's wrapped text is never cut when it is measured.
constexpr int kUnlimitedHeight = 1 << 20;

bool labelFits(const QFont &font, const QString &text, int width, int height, Qt::Alignment align)
{
    const QFontMetrics fm(font);
    const QRect r =
        fm.boundingRect(QRect(0, 0, width, kUnlimitedHeight), int(align) | Qt::TextWordWrap, text);
    // A box lower than one line of its font (a large ';' between two fields)
    // cannot be helped by widening: it only has to hold the text on one line.
    return r.width() <= width && r.height() <= std::max(height, fm.height());
}

// The smallest width, not less than the designed one, at which the text fits.
int widthToFit(const QFont &font, const QString &text, int width, int height, Qt::Alignment align)
{
    if (labelFits(font, text, width, height, align))
        return width;
    int lo = width, hi = width + 2;
    while (!labelFits(font, text, hi, height, align) && hi < kWidestLabel)
        hi *= 2;
    while (hi - lo > 1) {
        const int mid = (lo + hi) / 2;
        (labelFits(font, text, mid, height, align) ? hi : lo) = mid;
    }
    return hi;
}

} // namespace

int toPixels(int twips)
{
    return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}

QString controlObjectName(const Control &c)
{
    const QString base = QString::fromUtf8(c.name);
    return c.index < 0 ? base : base + QLatin1Char('_') + QString::number(c.index);
}

void setClientSize(QWidget *window, int widthTwips, int heightTwips)
{
    window->setFixedSize(toPixels(widthTwips), toPixels(heightTwips));
}

Form::Form(QWidget *window, std::span<const Control> controls) : m_window(window)
{
    for (const Control &c : controls) {
        // A container must come earlier in the table, as in the design's own
        // order; widget() stops on one that does not.
        QWidget *parent = c.container ? widget(QString::fromUtf8(c.container)) : window;
        QWidget *w = create(c, parent);
        w->setObjectName(controlObjectName(c));
        // Two rows of one name would leave the first unreachable and the
        // lookups silently on the second.
        if (m_widgets.contains(w->objectName()))
            qFatal("Form of window %s: the table names control \"%s\" twice",
                   qUtf8Printable(windowName()), qUtf8Printable(w->objectName()));
        m_widgets.insert(w->objectName(), w);
        w->show();
    }
}

QWidget *Form::widget(const QString &name) const
{
    QWidget *w = m_widgets.value(name);
    // qFatal, not an assertion: a Release build would go on with a null
    // control and crash later, far from the misspelt name.
    if (!w)
        qFatal("Form of window %s: no control named \"%s\" in its table",
               qUtf8Printable(windowName()), qUtf8Printable(name));
    return w;
}

QList<QWidget *> Form::controls(std::initializer_list<const char *> names) const
{
    QList<QWidget *> found;
    for (const char *name : names) {
        const QString control = QString::fromUtf8(name);
        if (QWidget *w = m_widgets.value(control)) {
            found << w;
            continue;
        }
        // A group's members, in their index order.
        QList<std::pair<int, QWidget *>> members;
        const QString prefix = control + QLatin1Char('_');
        for (auto i = m_widgets.cbegin(); i != m_widgets.cend(); ++i) {
            bool whole = false;
            const int index =
                i.key().startsWith(prefix) ? i.key().sliced(prefix.size()).toInt(&whole) : -1;
            if (whole)
                members.append({index, i.value()});
        }
        if (members.isEmpty())
            widget(control); // stops, naming the window and the control
        std::sort(members.begin(), members.end(),
                  [](const auto &x, const auto &y) { return x.first < y.first; });
        for (const auto &member : members)
            found << member.second;
    }
    return found;
}

void Form::wrongKind(const QString &name, const QWidget *w, const char *wanted) const
{
    qFatal("Form of window %s: control \"%s\" is a %s, not a %s", qUtf8Printable(windowName()),
           qUtf8Printable(name), w->metaObject()->className(), wanted);
}

QString Form::windowName() const
{
    // The main window's form is built on its client area before that has a
    // window round it.
    const QString name = m_window->window()->objectName();
    return name.isEmpty() ? QStringLiteral("(unnamed)") : name;
}

void Form::setAccessibleNames(
    std::initializer_list<std::pair<const char *, const char *>> names) const
{
    for (const auto &[name, spoken] : names)
        widget(QString::fromUtf8(name))->setAccessibleName(QString::fromUtf8(spoken));
}

QWidget *Form::create(const Control &c, QWidget *parent)
{
    const QString &text = c.text;
    const QFont font = c.points > 0 ? designFont(c.points) : designFont();
    const Qt::Alignment align = (c.flags & Centred) ? Qt::AlignHCenter : Qt::AlignLeft;
    QRect box(toPixels(c.left), toPixels(c.top), toPixels(c.width), toPixels(c.height));

    QWidget *w = nullptr;
    switch (c.kind) {
    case Kind::Frame: {
        auto *frame = new QGroupBox(text, parent);
        frame->setAutoFillBackground(c.flags & Opaque);
        // Said explicitly: a group box inside another one would otherwise be
        // announced with the outer one's caption.
        frame->setAccessibleName(text);
        w = frame;
        break;
    }
    case Kind::Label: {
        auto *label = new QLabel(text, parent);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setAlignment(align | Qt::AlignTop);
        const int fit = widthToFit(font, text, box.width(), box.height(), align);
        if (fit != box.width()) {
            box.setWidth(fit);
            m_widened << controlObjectName(c);
        }
        w = label;
        break;
    }
    case Kind::Field: {
        auto *field = new QLineEdit(text, parent);
        field->setAlignment(align | Qt::AlignVCenter);
        w = field;
        break;
    }
    case Kind::Button: {
        auto *button = new QPushButton(text, parent);
        button->setAutoDefault(false);
        const int need = QFontMetrics(font).horizontalAdvance(text) + kButtonTextMargin;
        if (need > box.width()) {
            box.setWidth(need);
            m_widened << controlObjectName(c);
        }
        w = button;
        break;
    }
    case Kind::Picture:
        w = new FormulaPicture(text, c.flags & Bordered, parent);
        break;
    case Kind::Canvas: {
        auto *canvas = new PlotCanvas(parent);
        if (c.flags & White)
            canvas->setBackColor(PlotCanvas::rgb(255, 255, 255));
        attachCanvasMenu(canvas, &notify);
        w = canvas;
        break;
    }
    case Kind::Line: {
        const int width = (c.flags & Thick5) ? 5 : (c.flags & Thick2) ? 2 : 1;
        QColor colour =
            (c.flags & Red) ? QColor(255, 0, 0) : parent->palette().color(QPalette::WindowText);
        if (c.flags & Light)
            colour = (c.flags & Red) ? QColor(255, 150, 150) : QColor(150, 150, 150);
        auto *line =
            new StaticLine(QPoint(toPixels(c.left), toPixels(c.top)),
                           QPoint(toPixels(c.width), toPixels(c.height)), width, colour, parent);
        return line; // places itself
    }
    }
    w->setFont(font);
    w->setGeometry(box);
    return w;
}

} // namespace kvadrolab
