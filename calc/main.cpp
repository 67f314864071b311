// SPDX-License-Identifier: GPL-3.0-or-later
// kvadrolab-calc F A B [--n N] [--json]: the proven integral of F over
// [A; B], its M1, M2, M4, M6 and every composite rule at N, for a teacher's
// answer key. Exit 0 with an answer (parts of it may be refused in their
// place), 2 when F or its integral is refused as a whole, 1 for arguments
// that are not what the usage line says.
#include "base/numberreader.h"
#include "calc/answer.h"
#include "calc/answertext.h"
#include "expression/constant.h"

#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// CommandLineToArgvW
#include <shellapi.h>
#endif

namespace {

using namespace kvadrolab;

constexpr long kDefaultCount = 12;

const char *const kUsage = "Использование: kvadrolab-calc F A B [--n N] [--json]\n"
                           "  F — функция от x (например \"(ln(x)/x)^3\"), A и B — концы отрезка\n"
                           "  (числа или выражения без x: 0, 1,5, pi/2),\n"
                           "  N — число частей отрезка для правил (по умолчанию 12).\n";

void write(std::FILE *stream, const std::string &text)
{
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

int badArguments(const std::string &why)
{
    write(stderr, "kvadrolab-calc: " + why + "\n" + kUsage);
    return 1;
}

// The arguments as UTF-8. Windows hands main() the arguments in the ANSI
// code page, which loses every letter outside it (π, a Greek or Cyrillic
// name): they are read again from the UTF-16 command line.
std::vector<std::string> utf8Arguments(int argc, char **argv)
{
#ifdef _WIN32
    (void)argc;
    (void)argv;
    std::vector<std::string> out;
    int count = 0;
    LPWSTR *wide = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; wide && i < count; ++i) {
        const int bytes =
            WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string arg(bytes > 0 ? static_cast<size_t>(bytes) : 1, '\0');
        WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, arg.data(), bytes, nullptr, nullptr);
        arg.resize(arg.size() - 1);
        out.push_back(arg);
    }
    LocalFree(wide);
    return out;
#else
    return std::vector<std::string>(argv + 1, argv + argc);
#endif
}

} // namespace

int main(int argc, char **argv)
{
#ifdef _WIN32
    // UTF-8 on a console, and the same bytes as on Linux when redirected.
    SetConsoleOutputCP(CP_UTF8);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    const std::vector<std::string> args = utf8Arguments(argc, argv);
    std::vector<std::string> positional;
    bool json = false;
    std::optional<std::string> countText;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        // Only "--" starts an option: F may well begin with a minus ("-x^2").
        if (optionsEnded || arg.rfind("--", 0) != 0) {
            positional.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--json") {
            json = true;
        } else if (arg == "--help") {
            write(stdout, kUsage);
            return 0;
        } else if (arg == "--n") {
            if (i + 1 == args.size())
                return badArguments("после --n нужно число частей");
            countText = args[++i];
        } else if (arg.rfind("--n=", 0) == 0) {
            countText = arg.substr(4);
        } else {
            return badArguments("неизвестный параметр " + arg);
        }
    }
    if (positional.size() != 3)
        return badArguments(positional.size() < 3 ? "нужны F, A и B"
                                                  : "лишний аргумент " + positional[3]);

    // The ends are the exact numbers typed (a number as the fields read it,
    // or an expression without x such as "pi/2"); the answer prints their
    // doubles as a and b.
    const Result<ExactNumber> a = readExactNumber(positional[1]);
    if (!a)
        return badArguments("A не число: " + positional[1]);
    const Result<ExactNumber> b = readExactNumber(positional[2]);
    if (!b)
        return badArguments("B не число: " + positional[2]);
    long n = kDefaultCount;
    if (countText) {
        const Result<double> count = readNumber(*countText);
        if (!count || *count != std::floor(*count) || *count < 1 || *count > ruleCountLimit)
            return badArguments("N — целое число от 1 до " + std::to_string(ruleCountLimit) + ": " +
                                *countText);
        n = static_cast<long>(*count);
    }

    const Result<Answer> answer = answerFor(positional[0], *a, *b, n);
    if (!answer) {
        if (json)
            write(stdout, refusalJson(answer.refusal(), positional[0], a->value, b->value));
        else
            write(stderr, refusalSummary(answer.refusal(), positional[0], a->value, b->value));
        return 2;
    }
    write(stdout, json ? answerJson(*answer) : answerSummary(*answer));
    return 0;
}
