// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The words of one GSI-16 line, read for drawing rather than for converting: the conversion
// works on columns and never needs to know what a word means, the drawing does. Nothing here
// reads outside the line it is given, whatever its bytes.
namespace GsiWords {

// One 24-character word after the leading '*': word index (1-2), additional information
// (3-5), unit code (6), sign (7), sixteen data characters (8-23) and a blank (24). The views
// point into the line.
struct Word {
    int index = -1; // -1 when the first two characters are not digits
    std::string_view info;
    char unit = '\0';
    char sign = '\0';
    std::string_view data;
    std::size_t column = 0; // the column of the word's first character, counted from 1
};

// Why a line or word cannot be read.
enum class Problem {
    None,
    NoStar, // the line does not begin with '*'
    ShortWord, // the line ends inside a word
    NoBlank, // a word does not end with a blank, so the columns after it are shifted
    BadIndex, // the word index is not two digits
    BadUnit, // the unit code is none that GSI-16 has for a length
    AngleUnit, // an angle's unit code where a length belongs
    BadSign, // the sign is neither '+' nor '-'
    BadDigits, // the data holds something else than digits
};

// A Danish description of `problem`, for the window's list of lines that were not drawn.
std::string describe(Problem problem);

// Splits `line` (as read, without its line end) into its words. A last word that lacks only its
// closing blank counts, as the profile conversion cuts it off. Returns the first problem met,
// with the words read up to it in `words`.
Problem split(std::string_view line, std::vector<Word>& words);

// The unit of a length word, with the size of the data's last digit in metres.
struct LengthUnit {
    const char* name; // as the window's summary shows it
    double metresPerDigit;
};

// The unit code of a length: 0 metre and millimetre, 1 feet and 1/1000 ft, 6 metre and
// 1/10 mm, 7 feet and 1/10000 ft, 8 metre and 1/100 mm. A '.' gives no unit: the instrument
// then writes the word in its default, metre with the last digit a millimetre, which is what
// every chainage (11) and coordinate in our users' files holds. Angle codes (2 to 5) and any
// other character are not lengths: BadUnit or AngleUnit.
Problem lengthUnit(char code, LengthUnit& unit);

// A length word's value in metres, or the reason it cannot be read.
Problem length(const Word& word, double& metres);

// A text word's data without its leading zeros (word 71: "STRAIGHT", "CURVE", ...).
std::string_view text(const Word& word);

}
