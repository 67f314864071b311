// SPDX-License-Identifier: GPL-3.0-or-later
// Prints what the proof engine proves for every integrand of a benchmark set
// (tests/data/integrands.tsv): the integral's enclosure and M1..M6, or the
// refusal with its place, each double as exact hexadecimal and as the
// shortest decimal that reads back to it. Two builds that prove the same
// numbers print the same bytes: the Windows suite compares this program run
// under Wine with the Linux build's.
//   provenvalues SET.tsv OUT.txt
// OUT.txt is written in binary, so that Windows' text mode adds no carriage
// returns. Exit status 0 when every row was read and its f parsed, and the
// file written; 1 otherwise.

#include "expression/parser.h"
#include "proof/derivativemax.h"
#include "proof/integral.h"

#include <charconv>
#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

using namespace kvadrolab;

namespace {

// std::to_chars formats inside the C++ library, so Linux's C library and
// Windows' print the same text for the same double; printf("%a") would not
// promise that.
std::string exactText(double v)
{
    char hex[64], dec[64];
    const auto h = std::to_chars(hex, hex + sizeof hex, v, std::chars_format::hex);
    const auto d = std::to_chars(dec, dec + sizeof dec, v);
    return std::string(dec, d.ptr) + " (" + std::string(hex, h.ptr) + ")";
}

const char *reasonName(Reason r)
{
    switch (r) {
    case Reason::NotDefined:
        return "NotDefined";
    case Reason::Pole:
        return "Pole";
    case Reason::NotSmooth:
        return "NotSmooth";
    case Reason::NotProven:
        return "NotProven";
    case Reason::WorkLimit:
        return "WorkLimit";
    case Reason::NotANumber:
        return "NotANumber";
    default:
        return "other";
    }
}

std::string refusalText(const Refusal &why)
{
    std::string s = std::string("refused ") + reasonName(why.reason) + " (" +
                    std::to_string(static_cast<int>(why.reason)) + ")";
    if (why.x)
        s += " at " + exactText(*why.x);
    if (why.position)
        s += " step " + std::to_string(*why.position);
    return s;
}

std::vector<std::string> splitTabs(const std::string &line)
{
    std::vector<std::string> cells;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        cells.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos)
            return cells;
        start = tab + 1;
    }
}

// The whole cell as a double, read by the C++ library for the same reason
// as exactText.
bool readDouble(const std::string &cell, double &v)
{
    const auto r = std::from_chars(cell.data(), cell.data() + cell.size(), v);
    return r.ec == std::errc() && r.ptr == cell.data() + cell.size();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fputs("usage: provenvalues SET.tsv OUT.txt\n", stderr);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "provenvalues: cannot read %s\n", argv[1]);
        return 1;
    }
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    if (!out) {
        std::fprintf(stderr, "provenvalues: cannot write %s\n", argv[2]);
        return 1;
    }
    std::string line;
    std::getline(in, line); // the header
    int status = 0;
    int rows = 0;
    // The set is a few dozen lines; the limit only stops a file that is not it.
    constexpr int rowLimit = 10000;
    while (rows < rowLimit && std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        ++rows;
        const std::vector<std::string> c = splitTabs(line);
        double a = 0, b = 0;
        if (c.size() < 4 || !readDouble(c[2], a) || !readDouble(c[3], b)) {
            std::fprintf(stderr, "provenvalues: line %d is not name, f, a, b\n", rows + 1);
            status = 1;
            continue;
        }
        const std::string head =
            c[0] + "\t" + c[1] + "\t[" + exactText(a) + "; " + exactText(b) + "]\t";
        const auto program = parseExpression(c[1]);
        if (!program.ok()) {
            std::fprintf(stderr, "provenvalues: %s does not parse\n", c[1].c_str());
            status = 1;
            continue;
        }
        const auto integral = certifiedIntegral(*program, a, b);
        std::string text = head + "integral\t";
        if (integral.ok())
            text += "[" + exactText(integral->lower) + "; " + exactText(integral->upper) +
                    "] mid " + exactText(integral->mid) + " rad " + exactText(integral->rad);
        else
            text += refusalText(integral.refusal());
        out << text << '\n';
        for (int k = 1; k <= 6; ++k) {
            const auto m = proveDerivativeMax(*program, a, b, k);
            text = head + "M" + std::to_string(k) + "\t";
            if (m.ok())
                text += "[" + exactText(m->lower) + "; " + exactText(m->upper) + "] at " +
                        exactText(m->at);
            else
                text += refusalText(m.refusal());
            out << text << '\n';
        }
    }
    out.close();
    if (!out) {
        std::fprintf(stderr, "provenvalues: writing %s failed\n", argv[2]);
        status = 1;
    }
    if (rows == 0) {
        std::fputs("provenvalues: the set has no rows\n", stderr);
        status = 1;
    }
    return status;
}
