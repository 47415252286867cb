#pragma once

// The rules of the twelve time fields: the number conversions of their exit
// check under the user's regional settings, and the range each accepts.
// The core works on UTF-16 text with the decimal separator passed in, so it
// can be tested under any separator; the QString overloads take it from
// QLocale::system().

#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Reads a decimal number: leading spaces, an optional sign that is not the
// last character, digits, optionally `separator` and digits, optionally
// "E"/"e" with an optional sign and digits, trailing spaces. Every run of
// digits may be empty, so "." and "E5" read as 0 while "-" does not read.
// Only the space is blank and no thousands separator is accepted. A value
// beyond the range of a double does not read; one too small for it reads as
// zero.
std::optional<double> ReadNumber(std::u16string_view text, char16_t separator);
std::optional<double> ReadNumber(const QString& text);

// Formats with the pattern "00": rounded halves away from zero, at least two
// digits, no grouping ("07", "123", "-05"). A negative value that rounds to
// zero gives "00", as a zero has no sign. A rounded magnitude of 10^17 or
// more is written in general notation with at most 15 significant digits
// ("1E17", "1.5E17", with `separator` before the fraction).
std::u16string FormatNumber00(double value, char16_t separator);
QString FormatNumber00(double value);

// Converts decimal digits with an optional leading "-" to a signed 32-bit
// integer; anything else, or a value out of range, gives nothing.
std::optional<std::int32_t> ToInt32(std::u16string_view text);
std::optional<std::int32_t> ToInt32(const QString& text);

enum class FieldKind
{
    Hour,
    Minute
};

// What leaving a time field makes of its text.
struct FieldCheck
{
    QString text;                      // normalised text the field shows
    std::optional<std::int32_t> value; // its 32-bit value, when it has one
    bool accepted = false;             // false: the window reports the field
};

// Normalises a time field's text and tests its range: text that is no number
// becomes "00" and is accepted; otherwise the formatted number is accepted
// only when it is a whole number from 0 to 24 (hours) or 60 (minutes).
// Values that do not fit 32 bits, exponent notation included, are rejected
// like any other out-of-range value.
FieldCheck CheckTimeField(const QString& text, FieldKind kind, char16_t separator);
FieldCheck CheckTimeField(const QString& text, FieldKind kind);

// What the window says of a refused value: "HORA INCORRETA" / "MINUTO INCORRETO".
QString RefusalMessage(FieldKind kind);
