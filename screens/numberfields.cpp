// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/numberfields.h"

#include "forms/formbuilder.h"
#include "forms/notifier.h"
#include "numbers/numbertext.h"

#include <QLineEdit>

namespace kvadrolab {

NumberFields::NumberFields(const Form &form,
                           std::initializer_list<std::pair<Input, const char *>> controls)
{
    for (const auto &[input, name] : controls)
        m_fields.emplace_back(input, form.get<QLineEdit>(QString::fromUtf8(name)));
}

Result<std::vector<double>> NumberFields::read() const
{
    std::vector<double> values;
    for (const auto &[input, field] : m_fields) {
        const Result<double> value = readNumberField(field->text());
        if (!value) {
            Refusal why = value.refusal();
            why.input = input;
            return why;
        }
        values.push_back(*value);
    }
    return values;
}

QLineEdit *NumberFields::field(Input input) const
{
    for (const auto &[at, field] : m_fields) {
        if (at == input)
            return field;
    }
    qFatal("A window asked for a field it does not have");
}

void NumberFields::showFault(QWidget *window, Input input, const QString &message) const
{
    QLineEdit *atFault = field(input);
    notify(window, message);
    atFault->setFocus();
    atFault->selectAll();
}

} // namespace kvadrolab
