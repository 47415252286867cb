#include "AnsiCodePage.h"

#include <algorithm>
#include <climits>
#include <cstddef>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace {

// The conversion calls take int lengths, so longer texts go in pieces.
constexpr std::size_t kMaxPiece = INT_MAX / 2;

bool IsUtf8(UINT codePage)
{
    return codePage == CP_UTF8;
}

// Length of the longest prefix of at most `limit` bytes that ends on a
// character boundary of the code page.
std::size_t BytePiece(UINT codePage, std::string_view bytes, std::size_t limit)
{
    if (bytes.size() <= limit)
        return bytes.size();
    CPINFO info{};
    if (!GetCPInfo(codePage, &info) || info.MaxCharSize == 1)
        return limit;
    if (IsUtf8(codePage)) {
        std::size_t cut = limit;
        while (cut > limit - 3 && (static_cast<unsigned char>(bytes[cut]) & 0xC0) == 0x80)
            --cut;
        return cut;
    }
    std::size_t cut = 0;
    while (cut < limit) {
        const std::size_t step = IsDBCSLeadByteEx(codePage, static_cast<BYTE>(bytes[cut])) ? 2 : 1;
        if (cut + step > limit)
            break;
        cut += step;
    }
    return cut;
}

std::size_t TextPiece(std::u16string_view text, std::size_t limit)
{
    if (text.size() <= limit)
        return text.size();
    return AnsiCodePage::IsHighSurrogate(text[limit - 1]) ? limit - 1 : limit;
}

// The conversion gives each half of a surrogate pair its own "?", but the
// pair is one character. No ANSI code page but UTF-8 has such characters,
// so each pair becomes a single "?" beforehand.
std::u16string OneMarkPerPair(std::u16string_view text)
{
    std::u16string merged;
    merged.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (AnsiCodePage::StartsSurrogatePair(text, i)) {
            merged.push_back(u'?');
            ++i;
        } else {
            merged.push_back(text[i]);
        }
    }
    return merged;
}

} // namespace

std::u16string AnsiCodePage::ToUnicode(std::string_view bytes)
{
    std::u16string text;
    AppendWhole(text, bytes);
    return text;
}

std::size_t AnsiCodePage::UnfinishedTail(std::string_view bytes)
{
    const UINT codePage = GetACP();
    if (IsUtf8(codePage)) {
        // The last lead byte among the final three, and whether enough
        // continuation bytes follow it.
        for (std::size_t back = 1; back <= 3 && back <= bytes.size(); ++back) {
            const auto b = static_cast<unsigned char>(bytes[bytes.size() - back]);
            if ((b & 0xC0) == 0x80)
                continue;
            const std::size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
            return length > back ? back : 0;
        }
        return 0;
    }
    // A byte that cannot lead always ends a character, so only the run of
    // lead-capable bytes at the end matters: they pair up from its start,
    // and an odd one out is a lead byte whose trail byte has not come yet.
    std::size_t run = 0;
    while (run < bytes.size() && IsDBCSLeadByteEx(codePage, static_cast<BYTE>(bytes[bytes.size() - 1 - run])))
        ++run;
    return run % 2;
}

void AnsiCodePage::AppendWhole(std::u16string& text, std::string_view bytes)
{
    const UINT codePage = GetACP();
    while (!bytes.empty()) {
        const std::size_t piece = BytePiece(codePage, bytes, kMaxPiece);
        const int inLen = static_cast<int>(piece);
        const int outLen = MultiByteToWideChar(codePage, 0, bytes.data(), inLen, nullptr, 0);
        if (outLen <= 0)
            break;
        const std::size_t at = text.size();
        text.resize(at + static_cast<std::size_t>(outLen));
        MultiByteToWideChar(codePage, 0, bytes.data(), inLen, reinterpret_cast<wchar_t*>(text.data() + at), outLen);
        bytes.remove_prefix(piece);
    }
}

std::string AnsiCodePage::FromUnicode(std::u16string_view text)
{
    const UINT codePage = GetACP();
    // Best-fit mapping would turn a missing character into a look-alike;
    // the file gets "?" instead. UTF-8 takes neither option.
    const DWORD flags = IsUtf8(codePage) ? 0 : WC_NO_BEST_FIT_CHARS;
    const char* question = IsUtf8(codePage) ? nullptr : "?";
    std::u16string merged;
    if (!IsUtf8(codePage)) {
        merged = OneMarkPerPair(text);
        text = merged;
    }
    std::string bytes;
    while (!text.empty()) {
        const std::size_t piece = TextPiece(text, kMaxPiece);
        const auto* in = reinterpret_cast<const wchar_t*>(text.data());
        const int inLen = static_cast<int>(piece);
        const int outLen = WideCharToMultiByte(codePage, flags, in, inLen, nullptr, 0, question, nullptr);
        if (outLen <= 0)
            break;
        const std::size_t at = bytes.size();
        bytes.resize(at + static_cast<std::size_t>(outLen));
        WideCharToMultiByte(codePage, flags, in, inLen, bytes.data() + at, outLen, question, nullptr);
        text.remove_prefix(piece);
    }
    return bytes;
}
