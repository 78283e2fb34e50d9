// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "gsiwords.h"

namespace GsiWords {

namespace {
    constexpr std::size_t WordSize = 24;
    constexpr std::size_t DataSize = 16;

    bool isDigit(char c) { return c >= '0' && c <= '9'; }
}

std::string describe(Problem problem)
{
    switch (problem) {
    case Problem::None:
        return {};
    case Problem::NoStar:
        return "linjen begynder ikke med *";
    case Problem::ShortWord:
        return "linjen slutter midt i et ord";
    case Problem::NoBlank:
        return "et ord slutter ikke med mellemrum, så kolonnerne er forskudt";
    case Problem::BadIndex:
        return "et ordnummer er ikke to cifre";
    case Problem::BadUnit:
        return "ukendt enhedskode for en længde";
    case Problem::AngleUnit:
        return "enhedskoden er en vinkels, ikke en længdes";
    case Problem::BadSign:
        return "fortegnet er hverken + eller -";
    case Problem::BadDigits:
        return "dataene er ikke 16 cifre";
    }
    return {};
}

Problem split(std::string_view line, std::vector<Word>& words)
{
    words.clear();
    if (line.empty() || line[0] != '*')
        return Problem::NoStar;
    std::size_t at = 1;
    while (at < line.size()) {
        const std::size_t left = line.size() - at;
        // The profile conversion cuts the last word's blank off; a word one short is whole.
        if (left < WordSize - 1)
            return Problem::ShortWord;
        const std::string_view w = line.substr(at, left < WordSize ? WordSize - 1 : WordSize);
        if (w.size() == WordSize && w[WordSize - 1] != ' ')
            return Problem::NoBlank;
        Word word;
        word.index = isDigit(w[0]) && isDigit(w[1]) ? (w[0] - '0') * 10 + (w[1] - '0') : -1;
        word.info = w.substr(2, 3);
        word.unit = w[5];
        word.sign = w[6];
        word.data = w.substr(7, DataSize);
        word.column = at + 1;
        if (word.index < 0)
            return Problem::BadIndex;
        words.push_back(word);
        at += w.size();
    }
    return Problem::None;
}

Problem lengthUnit(char code, LengthUnit& unit)
{
    switch (code) {
    case '.':
    case '0':
        unit = { "m (1 mm)", 0.001 };
        return Problem::None;
    case '1':
        unit = { "ft (1/1000 ft)", 0.0003048 };
        return Problem::None;
    case '6':
        unit = { "m (1/10 mm)", 0.0001 };
        return Problem::None;
    case '7':
        unit = { "ft (1/10000 ft)", 0.00003048 };
        return Problem::None;
    case '8':
        unit = { "m (1/100 mm)", 0.00001 };
        return Problem::None;
    case '2':
    case '3':
    case '4':
    case '5':
        return Problem::AngleUnit;
    default:
        return Problem::BadUnit;
    }
}

Problem length(const Word& word, double& metres)
{
    LengthUnit unit {};
    if (const Problem p = lengthUnit(word.unit, unit); p != Problem::None)
        return p;
    if (word.sign != '+' && word.sign != '-')
        return Problem::BadSign;
    if (word.data.size() != DataSize)
        return Problem::BadDigits;
    std::int64_t value = 0;
    for (const char c : word.data) {
        if (!isDigit(c))
            return Problem::BadDigits;
        value = value * 10 + (c - '0');
    }
    metres = double(value) * unit.metresPerDigit * (word.sign == '-' ? -1.0 : 1.0);
    return Problem::None;
}

std::string_view text(const Word& word)
{
    std::string_view data = word.data;
    while (!data.empty() && data.front() == '0')
        data.remove_prefix(1);
    return data;
}

}
