#include "AnsiCodePage.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>

namespace {

// Windows-1252 at 0x80..0x9F; every other byte is its own code point.
// 0x81, 0x8D, 0x8F, 0x90 and 0x9D are unassigned there and map to themselves.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr std::array<char16_t, 256> MakeCharTable()
{
    std::array<char16_t, 256> table{};
    for (std::size_t b = 0; b < table.size(); ++b)
        table[b] = (b >= 0x80 && b <= 0x9F) ? kHighControls[b - 0x80] : static_cast<char16_t>(b);
    return table;
}

constexpr std::array<char16_t, 256> kCharOf = MakeCharTable();

// Most bytes are their own code point. A block without any of the 32 remapped
// bytes is widened as a whole; both loops have a fixed length and no aliasing,
// so the compiler does them many bytes at a time.
constexpr std::size_t kBlock = 1024;

bool HasRemappedByte(const unsigned char* in)
{
    unsigned found = 0;
    for (std::size_t i = 0; i < kBlock; ++i)
        found |= static_cast<unsigned char>(in[i] - 0x80u) < 0x20u;
    return found != 0;
}

void Widen(const unsigned char* __restrict in, char16_t* __restrict out)
{
    for (std::size_t i = 0; i < kBlock; ++i)
        out[i] = in[i];
}

void LookUp(const unsigned char* in, std::size_t n, char16_t* out)
{
    for (std::size_t i = 0; i < n; ++i)
        out[i] = kCharOf[in[i]];
}

bool ByteOf(char16_t c, unsigned char& byte)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        byte = static_cast<unsigned char>(c);
        return true;
    }
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == c) {
            byte = static_cast<unsigned char>(0x80 + i);
            return true;
        }
    }
    return false;
}

} // namespace

std::u16string AnsiCodePage::ToUnicode(std::string_view bytes)
{
    std::u16string text;
    text.reserve(bytes.size());
    AppendWhole(text, bytes);
    return text;
}

std::size_t AnsiCodePage::UnfinishedTail(std::string_view)
{
    return 0;
}

void AnsiCodePage::AppendWhole(std::u16string& text, std::string_view bytes)
{
    // Through a small buffer, so the text grows by whole runs and is never
    // filled twice (once with zeros, then with the characters).
    char16_t run[kBlock];
    while (!bytes.empty()) {
        const std::size_t n = std::min(bytes.size(), kBlock);
        const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
        if (n == kBlock && !HasRemappedByte(in))
            Widen(in, run);
        else
            LookUp(in, n, run);
        text.append(run, n);
        bytes.remove_prefix(n);
    }
}

std::string AnsiCodePage::FromUnicode(std::u16string_view text)
{
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned char b = 0;
        if (ByteOf(text[i], b)) {
            bytes.push_back(static_cast<char>(b));
            continue;
        }
        // A surrogate pair is one character, so it gives one "?".
        if (StartsSurrogatePair(text, i))
            ++i;
        bytes.push_back('?');
    }
    return bytes;
}
