#pragma once

#include <cstddef>
#include <string_view>

// A made-up multi-byte code page, to follow the carry of characters cut
// between pieces without Windows: 0x81..0x9F lead a two-byte character,
// 0xE0..0xEF a three-byte one, as a double-byte or UTF-8 code page would.
inline std::size_t FakeLength(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) ? 2 : (b >= 0xE0 && b <= 0xEF) ? 3 : 1;
}

// Bytes at the end of `bytes` that start a character it does not finish.
inline std::size_t FakeUnfinishedTail(std::string_view bytes)
{
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t length = FakeLength(static_cast<unsigned char>(bytes[at]));
        if (at + length > bytes.size())
            return bytes.size() - at;
        at += length;
    }
    return 0;
}
