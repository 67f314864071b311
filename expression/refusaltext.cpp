// SPDX-License-Identifier: GPL-3.0-or-later
#include "expression/refusaltext.h"

#include "expression/parser.h"
#include "expression/textreader.h"

#include <optional>

namespace kvadrolab {

namespace {

// The byte where character `position` starts, if the text is UTF-8 up to it.
std::optional<std::size_t> byteOf(std::string_view text, std::size_t position)
{
    std::size_t at = 0;
    for (std::size_t i = 0; i < position; ++i) {
        if (at >= text.size())
            return std::nullopt;
        const auto c = decodeUtf8(text, at);
        if (!c)
            return std::nullopt;
        at += c->length;
    }
    return at;
}

// The run of name characters at `position`, or the one character there.
std::string quoted(std::string_view text, std::size_t position, bool wholeName)
{
    const auto start = byteOf(text, position);
    if (!start || *start >= text.size())
        return {};
    std::size_t end = *start;
    while (end < text.size()) {
        const auto c = decodeUtf8(text, end);
        if (!c || (end > *start && (!wholeName || !isNameCharacter(c->value))))
            break;
        end += c->length;
        if (!wholeName)
            break;
    }
    return std::string(text.substr(*start, end - *start));
}

std::string place(std::size_t position)
{
    return "в позиции " + std::to_string(position + 1);
}

} // namespace

std::string describeExpressionRefusal(const Refusal &why, std::string_view text)
{
    const std::size_t p = why.position.value_or(0);
    switch (why.reason) {
    case Reason::EmptyExpression:
        return "Пустое выражение";
    case Reason::ExpressionTooLong:
        return "Выражение длиннее " + std::to_string(kMaxExpressionLength / 1000) + " 000 знаков";
    case Reason::NestingTooDeep:
        return "Слишком глубокая вложенность " + place(p) + ": не больше " +
               std::to_string(kMaxNesting) + " открытых скобок и знаков подряд";
    case Reason::InvalidUtf8:
        return "Испорченный символ (не UTF-8) " + place(p);
    case Reason::ControlCharacter:
        return "Управляющий символ " + place(p);
    case Reason::UnexpectedCharacter: {
        const std::string c = quoted(text, p, false);
        if (c == ",")
            return "Запятая " + place(p) + " не относится к числу: у функций один аргумент";
        if (c == ".")
            return "Точка " + place(p) + " не относится к числу";
        return "Недопустимый знак „" + c + "“ " + place(p);
    }
    case Reason::UnknownName:
        return "Неизвестное имя „" + quoted(text, p, true) + "“ (переменная — x)";
    case Reason::NameInCapitals: {
        std::string name = quoted(text, p, true);
        for (char &c : name)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        return "Имена пишутся строчными: " + name;
    }
    case Reason::CyrillicX:
        return "Кириллическая „" + quoted(text, p, false) + "“; переменная — латинская x";
    case Reason::AmbiguousLog:
        return "log неоднозначен: ln или lg";
    case Reason::FunctionNeedsBracket: {
        const std::string name = quoted(text, p, true);
        return "Аргумент " + name + " " + place(p) + " пишется в скобках: " + name + "(…)";
    }
    case Reason::ExpectedOperand: {
        const auto end = byteOf(text, p);
        if (end && *end >= text.size())
            return "Ожидалось число, x или функция в конце выражения";
        return "Ожидалось число, x или функция " + place(p);
    }
    case Reason::ExpectedOperator:
        return "Пропущен знак действия перед числом " + place(p);
    case Reason::UnclosedBracket:
        return "Не закрыта скобка, открытая " + place(p);
    case Reason::UnmatchedClosingBracket:
        return "Лишняя закрывающая скобка " + place(p);
    case Reason::NumberOutOfRange:
        return "Число " + place(p) + " слишком велико";
    default:
        return "Выражение не прочитано " + place(p);
    }
}

} // namespace kvadrolab
