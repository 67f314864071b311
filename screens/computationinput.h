// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/refusal.h"

#include <QString>

#include <variant>

// The three inputs of a computation window and what to tell the user when
// they cannot be used: which field to fix, and why, in plain words.
namespace kvadrolab::screens {

enum class InputField { A, B, N };

struct Inputs
{
    double a, b, n;
};

struct InputProblem
{
    InputField field;
    QString message;
};

// Reads a, b and n as number fields; the first text that is not a number is
// the problem.
std::variant<Inputs, InputProblem> readInputs(const QString &a, const QString &b, const QString &n);

// Turns the core's refusal of these inputs into a message and the field at
// fault.
InputProblem explain(Refusal why, const Inputs &inputs);

} // namespace kvadrolab::screens
