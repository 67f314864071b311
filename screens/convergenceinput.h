// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/convergence.h"

#include <QString>

#include <variant>

// The four inputs of the convergence study and what to tell the user when
// they cannot be used: which field to fix, and why, in plain words.
namespace kvadrolab::screens::convergence {

enum class Field { A, B, Tolerance, PictureCount };

struct Inputs
{
    double a, b, tolerance, pictureCount;
};

struct Problem
{
    Field field;
    QString message;
};

// Reads the four number fields; the first text that is not a number is the
// problem.
std::variant<Inputs, Problem> read(const QString &a, const QString &b, const QString &tolerance,
                                   const QString &pictureCount);

// Turns the core's refusal of these inputs into a message and the field at fault.
Problem explain(StudyRefusal why, const Inputs &inputs);

// The message for an interval too wide to be drawn.
Problem tooWideToDraw(const Inputs &inputs);

} // namespace kvadrolab::screens::convergence
