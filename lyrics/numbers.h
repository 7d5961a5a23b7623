#pragma once
// Locale-independent reading and rounding of the decimal numbers found in lyrics texts
// and typed into the tag dialogs ("." is always the decimal point).

#include <QStringView>
#include <optional>

namespace lyrics {

/// The decimal number at the start of `s` (after blanks and tabs): an optional sign,
/// digits with an optional "." fraction and an optional exponent. nullopt when `s`
/// does not start with a number. Too large values give ±infinity.
std::optional<double> ParseLeadingNumber(QStringView s, qsizetype* length = nullptr);

/// The number that is the whole of `s` (blanks around it allowed), or nullopt.
std::optional<double> ParseNumber(QStringView s);

/// Nearest integer, halves to even; clamped to the int range; NaN gives 0.
int RoundToInt(double v);

/// The largest integer not above `v`; clamped to the int range; NaN gives 0.
int FloorToInt(double v);

/// `v` rounded to `digits` significant decimal digits.
double RoundToSignificant(double v, int digits);

} // namespace lyrics
