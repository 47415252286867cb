#include "TimeField.h"

#include <QLocale>

#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

namespace {

bool IsDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

std::u16string_view AsUtf16(const QString& text)
{
    const QStringView view(text);
    return {view.utf16(), static_cast<std::size_t>(view.size())};
}

char16_t SystemSeparator()
{
    const QString point = QLocale::system().decimalPoint();
    return point.isEmpty() ? u'.' : point.front().unicode();
}

std::u16string Widen(std::string_view ascii)
{
    return {ascii.begin(), ascii.end()};
}

} // namespace

std::optional<double> ReadNumber(std::u16string_view text, char16_t separator)
{
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n && text[i] == u' ')
        ++i;
    if (i == n)
        return std::nullopt;

    // The grammar is checked here; the conversion itself is left to
    // from_chars on a plain ASCII copy, which needs a digit before any point
    // and no "+".
    std::string ascii;
    if (text[i] == u'+' || text[i] == u'-') {
        if (i + 1 == n)
            return std::nullopt;
        if (text[i] == u'-')
            ascii += '-';
        ++i;
    }

    std::string mantissa;
    std::size_t integerDigits = 0;
    for (; i < n && IsDigit(text[i]); ++i, ++integerDigits)
        mantissa += static_cast<char>(text[i]);
    if (i < n && text[i] == separator) {
        ++i;
        for (; i < n && IsDigit(text[i]); ++i)
            mantissa += static_cast<char>(text[i]);
    }

    bool exponentNegative = false;
    std::string exponent;
    if (i < n && (text[i] == u'E' || text[i] == u'e')) {
        ++i;
        if (i < n && (text[i] == u'+' || text[i] == u'-')) {
            exponentNegative = text[i] == u'-';
            ++i;
        }
        for (; i < n && IsDigit(text[i]); ++i)
            exponent += static_cast<char>(text[i]);
    }

    while (i < n && text[i] == u' ')
        ++i;
    if (i != n)
        return std::nullopt;

    ascii += integerDigits == 0 ? std::string("0") : mantissa.substr(0, integerDigits);
    if (mantissa.size() > integerDigits)
        ascii += '.' + mantissa.substr(integerDigits);
    if (!exponent.empty())
        ascii += (exponentNegative ? "e-" : "e") + exponent;

    double value = 0;
    const auto [end, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (ec == std::errc{} && end == ascii.data() + ascii.size())
        return value;
    if (ec != std::errc::result_out_of_range)
        return std::nullopt;

    // from_chars reports underflow and overflow alike. A number whose leading
    // digit sits below the units is too small, which still reads (as zero);
    // only a too large one is no number.
    const std::size_t leading = mantissa.find_first_not_of('0');
    if (leading == std::string::npos)
        return ascii.front() == '-' ? -0.0 : 0.0;
    long long scale = static_cast<long long>(integerDigits) - 1 - static_cast<long long>(leading);
    long long power = 0;
    for (char digit : exponent) {
        power = power * 10 + (digit - '0');
        if (power > 1'000'000'000)
            break; // far beyond any double either way
    }
    scale += exponentNegative ? -power : power;
    if (scale >= 0)
        return std::nullopt;
    return ascii.front() == '-' ? -0.0 : 0.0;
}

std::optional<double> ReadNumber(const QString& text)
{
    return ReadNumber(AsUtf16(text), SystemSeparator());
}

std::u16string FormatNumber00(double value, char16_t separator)
{
    // The reader never yields these; they are written as the general format
    // writes them rather than left undefined.
    if (std::isnan(value))
        return u"NAN";
    if (std::isinf(value))
        return value < 0 ? u"-INF" : u"INF";

    // Halves away from zero, from the whole part and the exact remainder:
    // mingw-w64's std::round adds one half first, which turns the largest
    // double below one half into 1.
    const double whole = std::trunc(value);
    const double rounded = std::fabs(value - whole) >= 0.5 ? whole + std::copysign(1.0, value) : whole;
    const double magnitude = std::fabs(rounded);
    std::u16string out;
    if (rounded < 0) // -0.0 is not below zero, so -0.4 gives "00"
        out += u'-';

    if (magnitude < 1e17) {
        std::string digits = std::to_string(static_cast<std::uint64_t>(magnitude));
        if (digits.size() < 2)
            digits.insert(digits.begin(), '0');
        return out + Widen(digits);
    }

    // 15 significant digits: d.dddddddddddddde+NN, then trailing zeros of the
    // fraction dropped and the exponent written "E" + NN.
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific, 14);
    const std::string_view scientific(buffer, static_cast<std::size_t>(result.ptr - buffer));
    const std::size_t e = scientific.find('e');
    std::string_view mantissa = scientific.substr(0, e);
    while (mantissa.back() == '0')
        mantissa.remove_suffix(1);
    if (mantissa.back() == '.')
        mantissa.remove_suffix(1);
    std::string_view exponent = scientific.substr(e + 1);
    if (exponent.front() == '+')
        exponent.remove_prefix(1);
    while (exponent.size() > 1 && exponent.front() == '0')
        exponent.remove_prefix(1);

    for (char c : mantissa)
        out += c == '.' ? separator : static_cast<char16_t>(c);
    out += u'E';
    out += Widen(exponent);
    return out;
}

QString FormatNumber00(double value)
{
    return QString::fromStdU16String(FormatNumber00(value, SystemSeparator()));
}

std::optional<std::int32_t> ToInt32(std::u16string_view text)
{
    std::string ascii;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (IsDigit(text[i]) || (i == 0 && text[i] == u'-'))
            ascii += static_cast<char>(text[i]);
        else
            return std::nullopt;
    }
    std::int32_t value = 0;
    const auto [end, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (ec != std::errc{} || end != ascii.data() + ascii.size())
        return std::nullopt;
    return value;
}

std::optional<std::int32_t> ToInt32(const QString& text)
{
    return ToInt32(AsUtf16(text));
}

FieldCheck CheckTimeField(const QString& text, FieldKind kind, char16_t separator)
{
    FieldCheck result;
    const std::optional<double> number = ReadNumber(AsUtf16(text), separator);
    result.text = number ? QString::fromStdU16String(FormatNumber00(*number, separator)) : QStringLiteral("00");
    // The value is read back from the text the field will show, so a text the
    // user sees always matches the number the range test judged.
    result.value = ToInt32(AsUtf16(result.text));
    const std::int32_t largest = kind == FieldKind::Hour ? 24 : 60;
    result.accepted = result.value && *result.value >= 0 && *result.value <= largest;
    return result;
}

FieldCheck CheckTimeField(const QString& text, FieldKind kind)
{
    return CheckTimeField(text, kind, SystemSeparator());
}

QString RefusalMessage(FieldKind kind)
{
    return kind == FieldKind::Hour ? QStringLiteral("HORA INCORRETA") : QStringLiteral("MINUTO INCORRETO");
}
