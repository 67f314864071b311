// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/result.h"

#include <QString>

#include <initializer_list>
#include <utility>
#include <vector>

class QLineEdit;
class QWidget;

namespace kvadrolab {
class Form;
}

namespace kvadrolab {

// A window's number fields, each the input it hands to the core: the one map
// from the core's Input to the window's controls, and the one way a window
// reads them and points the user at the one at fault.
class NumberFields
{
public:
    // `controls`: each input with the object name of its field, in the order
    // the fields are read.
    NumberFields(const Form &form, std::initializer_list<std::pair<Input, const char *>> controls);

    // Every field as a number, in order; refused with NotANumber at the input
    // of the first that holds no number, and the position in its text.
    Result<std::vector<double>> read() const;

    QLineEdit *field(Input input) const;

    // One message box with `message`, then the focus on the input's field with
    // its text selected, ready to be typed over.
    void showFault(QWidget *window, Input input, const QString &message) const;

private:
    std::vector<std::pair<Input, QLineEdit *>> m_fields;
};

} // namespace kvadrolab
