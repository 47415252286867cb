#include "TimeField.h"

#include <QLocale>
#include <QString>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <ostream>
#include <string>

namespace {

// The system-locale overloads are checked under a comma separator; the
// locale is chosen before anything asks Qt for it.
const bool kCommaLocale = (qputenv("LC_ALL", "pt_BR.UTF-8"), true);

std::string Utf8(std::u16string_view text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())).toStdString();
}

// Case labels stay readable for the runs of hundreds of digits.
std::string Shown(std::u16string_view text)
{
    if (text.size() <= 40)
        return '"' + Utf8(text) + '"';
    return '"' + Utf8(text.substr(0, 20)) + "...\" (" + std::to_string(text.size()) + " chars)";
}

std::u16string Repeat(char16_t c, std::size_t count)
{
    return std::u16string(count, c);
}

const std::u16string kTwentyNines = Repeat(u'9', 20);
const std::u16string kManyNines = Repeat(u'9', 400);

constexpr std::int32_t kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kInt32Min = std::numeric_limits<std::int32_t>::min();

// --- Reading a number -------------------------------------------------------

struct ReadCase
{
    std::u16string text;
    char16_t separator;
    std::optional<double> expected;
};

void PrintTo(const ReadCase& c, std::ostream* os)
{
    *os << Shown(c.text) << " sep '" << Utf8({&c.separator, 1}) << '\'';
}

class NumberGrammar : public testing::TestWithParam<ReadCase>
{};

TEST_P(NumberGrammar, FollowsTheGrammar)
{
    const ReadCase& c = GetParam();
    const std::optional<double> got = ReadNumber(c.text, c.separator);
    ASSERT_EQ(got.has_value(), c.expected.has_value());
    if (got) {
        EXPECT_EQ(*got, *c.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, NumberGrammar,
    testing::Values(
        // plain numbers and blanks
        ReadCase{u"7", u'.', 7.0}, ReadCase{u"007", u'.', 7.0}, ReadCase{u"  7  ", u'.', 7.0},
        ReadCase{u"-5", u'.', -5.0}, ReadCase{u"+5", u'.', 5.0}, ReadCase{u"", u'.', std::nullopt},
        ReadCase{u"   ", u'.', std::nullopt}, ReadCase{u"\t7", u'.', std::nullopt}, // only the space is blank
        ReadCase{u"7\u00A0", u'.', std::nullopt},                                   // nor is a no-break space
        // the separator is the locale's, and no other
        ReadCase{u"1.5", u'.', 1.5}, ReadCase{u"1,5", u',', 1.5}, ReadCase{u"1,5", u'.', std::nullopt},
        ReadCase{u"1.5", u',', std::nullopt}, ReadCase{u"1.000,5", u',', std::nullopt}, // no thousands separator
        ReadCase{u"1 000", u'.', std::nullopt}, ReadCase{u".5", u'.', 0.5}, ReadCase{u"5.", u'.', 5.0},
        ReadCase{u"1.5.2", u'.', std::nullopt},
        // every run of digits may be empty, but a sign may not end the text
        ReadCase{u".", u'.', 0.0}, ReadCase{u"+.", u'.', 0.0}, ReadCase{u"E5", u'.', 0.0}, ReadCase{u"1E", u'.', 1.0},
        ReadCase{u"1E-", u'.', 1.0}, ReadCase{u"1.e", u'.', 1.0}, ReadCase{u"- ", u'.', 0.0},
        ReadCase{u"-", u'.', std::nullopt}, ReadCase{u"  +", u'.', std::nullopt},
        // powers of ten
        ReadCase{u"1e1", u'.', 10.0}, ReadCase{u"1E+2", u'.', 100.0}, ReadCase{u"25e-1", u'.', 2.5},
        ReadCase{u"1,5e1", u',', 15.0}, ReadCase{u"1e1e1", u'.', std::nullopt},
        // anything else after the number
        ReadCase{u"7:", u'.', std::nullopt}, ReadCase{u"--5", u'.', std::nullopt}, ReadCase{u"- 5", u'.', std::nullopt},
        ReadCase{u"5-", u'.', std::nullopt}, ReadCase{u"0x10", u'.', std::nullopt},
        ReadCase{u"inf", u'.', std::nullopt}, ReadCase{u"nan", u'.', std::nullopt},
        ReadCase{u"\u0667", u'.', std::nullopt}, // Arabic-Indic seven
        // range of a double: too large is no number, too small is zero
        ReadCase{kTwentyNines, u'.', 1e20}, ReadCase{u"1E308", u'.', 1e308}, ReadCase{kManyNines, u'.', std::nullopt},
        ReadCase{u"-" + kManyNines, u'.', std::nullopt}, ReadCase{u"1E309", u'.', std::nullopt},
        ReadCase{u"1E99999999999999999999", u'.', std::nullopt},
        ReadCase{u"0." + Repeat(u'0', 400) + u"1" + Repeat(u'9', 400), u'.', 0.0}, ReadCase{u"1E-400", u'.', 0.0},
        ReadCase{u"0E99999999999999999999", u'.', 0.0}));

// --- Formatting with "00" ---------------------------------------------------

struct FormatCase
{
    double value;
    char16_t separator;
    std::u16string expected;
};

void PrintTo(const FormatCase& c, std::ostream* os)
{
    *os << c.value << " sep '" << Utf8({&c.separator, 1}) << '\'';
}

class FormatNumber : public testing::TestWithParam<FormatCase>
{};

TEST_P(FormatNumber, WritesTwoDigitsOrGeneralNotation)
{
    const FormatCase& c = GetParam();
    EXPECT_EQ(Utf8(FormatNumber00(c.value, c.separator)), Utf8(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Table, FormatNumber,
    testing::Values(FormatCase{0.0, u'.', u"00"}, FormatCase{7.0, u'.', u"07"}, FormatCase{123.0, u'.', u"123"},
                    FormatCase{-5.0, u'.', u"-05"}, FormatCase{-123.0, u'.', u"-123"},
                    FormatCase{2147483648.0, u'.', u"2147483648"}, // no grouping
                    // halves away from zero, anything short of a half towards it
                    FormatCase{0.5, u'.', u"01"}, FormatCase{-0.5, u'.', u"-01"}, FormatCase{1.5, u'.', u"02"},
                    FormatCase{-1.5, u'.', u"-02"}, FormatCase{2.5, u'.', u"03"},
                    FormatCase{0.49999999999999994, u'.', u"00"}, FormatCase{24.49, u'.', u"24"},
                    // a negative value that rounds to zero has no sign
                    FormatCase{-0.4, u'.', u"00"}, FormatCase{-0.0, u'.', u"00"},
                    // 10^17 is where general notation begins
                    FormatCase{99999999999999984.0, u'.', u"99999999999999984"}, FormatCase{1e17, u'.', u"1E17"},
                    FormatCase{-1e17, u'.', u"-1E17"}, FormatCase{1e20, u'.', u"1E20"},
                    FormatCase{1e300, u'.', u"1E300"}, FormatCase{1.5e17, u'.', u"1.5E17"},
                    FormatCase{1.5e17, u',', u"1,5E17"}, FormatCase{123456789012345678.0, u'.', u"1.23456789012346E17"},
                    FormatCase{999999999999999900000.0, u'.', u"1E21"}));

// --- Text to a 32-bit integer -------------------------------------------

struct IntCase
{
    std::u16string text;
    std::optional<std::int32_t> expected;
};

void PrintTo(const IntCase& c, std::ostream* os)
{
    *os << Shown(c.text);
}

class ConvertInteger : public testing::TestWithParam<IntCase>
{};

TEST_P(ConvertInteger, AcceptsOnlyDigitsWithOptionalMinus)
{
    const IntCase& c = GetParam();
    EXPECT_EQ(ToInt32(c.text), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, ConvertInteger,
                         testing::Values(IntCase{u"0", 0}, IntCase{u"07", 7}, IntCase{u"-05", -5}, IntCase{u"-0", 0},
                                         IntCase{u"00000000000000000000042", 42}, IntCase{u"2147483647", kInt32Max},
                                         IntCase{u"-2147483648", kInt32Min}, IntCase{u"2147483648", std::nullopt},
                                         IntCase{u"-2147483649", std::nullopt}, IntCase{kTwentyNines, std::nullopt},
                                         IntCase{u"", std::nullopt}, IntCase{u"-", std::nullopt},
                                         IntCase{u"+5", std::nullopt}, IntCase{u" 5", std::nullopt},
                                         IntCase{u"5 ", std::nullopt}, IntCase{u"5-", std::nullopt},
                                         IntCase{u"--5", std::nullopt}, IntCase{u"1E20", std::nullopt},
                                         IntCase{u"1.5", std::nullopt}, IntCase{u"\u0665", std::nullopt}));

// --- Leaving a time field ---------------------------------------------------

struct ExitCase
{
    std::u16string text;
    FieldKind kind;
    char16_t separator;
    std::u16string expectedText;
    std::optional<std::int32_t> expectedValue;
    bool accepted;
};

void PrintTo(const ExitCase& c, std::ostream* os)
{
    *os << (c.kind == FieldKind::Hour ? "hour " : "minute ") << Shown(c.text) << " sep '" << Utf8({&c.separator, 1})
        << '\'';
}

class ExitCheck : public testing::TestWithParam<ExitCase>
{};

TEST_P(ExitCheck, NormalisesAndTestsTheRange)
{
    const ExitCase& c = GetParam();
    const QString text = QString::fromStdU16String(c.text);
    const FieldCheck got = CheckTimeField(text, c.kind, c.separator);
    EXPECT_EQ(got.text.toStdString(), Utf8(c.expectedText));
    EXPECT_EQ(got.value, c.expectedValue);
    EXPECT_EQ(got.accepted, c.accepted);
}

constexpr auto kH = FieldKind::Hour;
constexpr auto kM = FieldKind::Minute;

INSTANTIATE_TEST_SUITE_P(Table, ExitCheck,
                         testing::Values(
                             // normalised and accepted
                             ExitCase{u"", kH, u'.', u"00", 0, true}, ExitCase{u"7", kH, u'.', u"07", 7, true},
                             ExitCase{u"007", kM, u'.', u"07", 7, true}, ExitCase{u"0", kM, u'.', u"00", 0, true},
                             ExitCase{u" 7", kH, u'.', u"07", 7, true}, ExitCase{u"0.5", kM, u'.', u"01", 1, true},
                             ExitCase{u"1e1", kH, u'.', u"10", 10, true}, ExitCase{u"1.5", kH, u'.', u"02", 2, true},
                             ExitCase{u"1,5", kH, u',', u"02", 2, true}, ExitCase{u"-0.4", kH, u'.', u"00", 0, true},
                             // no number at all becomes "00" and passes
                             ExitCase{u"7:", kH, u'.', u"00", 0, true}, ExitCase{u"1.5", kH, u',', u"00", 0, true},
                             ExitCase{kManyNines, kM, u'.', u"00", 0, true},
                             // the upper bounds, reached by rounding too
                             ExitCase{u"24", kH, u'.', u"24", 24, true}, ExitCase{u"24.4", kH, u'.', u"24", 24, true},
                             ExitCase{u"25", kH, u'.', u"25", 25, false}, ExitCase{u"24.5", kH, u'.', u"25", 25, false},
                             ExitCase{u"123", kH, u'.', u"123", 123, false}, ExitCase{u"60", kM, u'.', u"60", 60, true},
                             ExitCase{u"61", kM, u'.', u"61", 61, false}, ExitCase{u"25", kM, u'.', u"25", 25, true},
                             // beyond 32 bits: rejected like any value out of range
                             ExitCase{u"2147483647", kM, u'.', u"2147483647", kInt32Max, false},
                             ExitCase{u"2147483648", kM, u'.', u"2147483648", std::nullopt, false},
                             ExitCase{kTwentyNines, kH, u'.', u"1E20", std::nullopt, false},
                             ExitCase{u"-99999999999", kM, u'.', u"-99999999999", std::nullopt, false},
                             // negative times are rejected
                             ExitCase{u"-5", kH, u'.', u"-05", -5, false}, ExitCase{u"-1", kM, u'.', u"-01", -1, false},
                             ExitCase{u"-0.5", kM, u'.', u"-01", -1, false}));

// --- The user's locale --------------------------------------------------------

TEST(SystemLocale, SuppliesTheDecimalSeparator)
{
    ASSERT_TRUE(kCommaLocale);
    ASSERT_EQ(QLocale::system().decimalPoint(), QStringLiteral(","));

    EXPECT_EQ(ReadNumber(QStringLiteral("2,5")), 2.5);
    EXPECT_EQ(ReadNumber(QStringLiteral("2.5")), std::nullopt);
    EXPECT_EQ(FormatNumber00(1.5e17), QStringLiteral("1,5E17"));
    EXPECT_EQ(ToInt32(QStringLiteral("-05")), -5);

    const FieldCheck hour = CheckTimeField(QStringLiteral("1,5"), FieldKind::Hour);
    EXPECT_EQ(hour.text, QStringLiteral("02"));
    EXPECT_TRUE(hour.accepted);
    const FieldCheck minute = CheckTimeField(QStringLiteral("61"), FieldKind::Minute);
    EXPECT_EQ(minute.value, 61);
    EXPECT_FALSE(minute.accepted);
}

} // namespace
