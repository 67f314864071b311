// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QWidget>

#include <initializer_list>
#include <span>
#include <utility>

// Windows are declared as tables of controls in twips, row for row as they
// were designed; the builder turns such a table into widgets.
namespace kvadrolab {

// 1440 twips to the inch, 96 logical pixels to the inch.
inline constexpr int kTwipsPerPixel = 15;

// A length in twips as logical pixels, rounded to the nearest pixel: 15 twips
// make one pixel, 7 make none, 8 make one.
int toPixels(int twips);

enum class Kind {
    Frame,   // a group box, with or without caption
    Label,   // static text, wrapping inside its box
    Field,   // single-line text field
    Button,  // push button
    Picture, // fixed formula picture (an SVG resource in `text`)
    Canvas,  // PlotCanvas
    Line,    // static line: left, top, width, height hold x1, y1, x2, y2
};

enum Flag : unsigned {
    NoFlags = 0,
    Centred = 1u << 0,  // text centred horizontally
    Opaque = 1u << 1,   // frame paints its own background over what lies below
    Bordered = 1u << 2, // picture drawn inside a sunken border
    Thick2 = 1u << 3,   // line two pixels wide
    Thick5 = 1u << 4,   // line five pixels wide
    Red = 1u << 5,      // line colour red (default: window text colour)
    White = 1u << 6,    // canvas background white, as charts have
    Light = 1u << 7,    // line colour lighter: red becomes pale red, black grey
};

struct Control
{
    const char *name;
    Kind kind;
    const char *container; // nullptr: the window itself
    int left, top, width, height;
    QString text = {}; // caption, starting text or picture resource
    double points = 0; // font size in points; 0: the window's default
    unsigned flags = NoFlags;
    int index = -1; // member of a label group: object name becomes name_index
};

// The object name a control gets: "Label12_3" for index 3 of group Label12.
QString controlObjectName(const Control &c);

class Form
{
public:
    // Builds every control of the table on the window, in table order, which
    // also makes the window's default tab order.
    Form(QWidget *window, std::span<const Control> controls);

    // The control of that object name; get<T> also wants it of kind T. A name
    // the window's table does not hold, or a control of another kind, is a
    // fault of the program: it stops with a message that names the window and
    // the control, in every build type.
    QWidget *widget(const QString &name) const;
    template <typename T> T *get(const QString &name) const
    {
        QWidget *w = widget(name);
        if (auto *control = qobject_cast<T *>(w))
            return control;
        wrongKind(name, w, T::staticMetaObject.className());
    }

    // The controls of those names, in that order; the name of a label group
    // ("Label12") stands for all its members ("Label12_0", …). A name that
    // is neither stops the program, as widget() does.
    QList<QWidget *> controls(std::initializer_list<const char *> names) const;

    // The names assistive technology announces for controls that show no
    // caption of their own (fields, mostly): {object name, spoken name}. An
    // object name not in the table stops the program, as widget() does.
    void
    setAccessibleNames(std::initializer_list<std::pair<const char *, const char *>> names) const;

    // Controls whose caption did not fit at the designed size and were
    // widened to the right (their left and top stay).
    QStringList widened() const { return m_widened; }

private:
    QWidget *create(const Control &c, QWidget *parent);
    [[noreturn]] void wrongKind(const QString &name, const QWidget *w, const char *wanted) const;
    // For the messages of a faulty lookup: the window as its title bar's
    // owner is named ("Int_c_t", "Main").
    QString windowName() const;

    QWidget *m_window;
    QHash<QString, QWidget *> m_widgets;
    QStringList m_widened;
};

// Gives a top-level window its designed client size, fixed.
void setClientSize(QWidget *window, int widthTwips, int heightTwips);

} // namespace kvadrolab
