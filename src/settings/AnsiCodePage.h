#pragma once

#include <string>
#include <string_view>

// Conversion between Unicode and the 8-bit code page the settings file is
// written in: the system's active ANSI code page on Windows, Windows-1252
// elsewhere (with its five unassigned bytes mapped to the matching C1 control
// characters, so that every byte reads and writes back unchanged).
class AnsiCodePage
{
public:
    static std::u16string ToUnicode(std::string_view bytes);
    // A character the code page has no byte for becomes "?".
    static std::string FromUnicode(std::u16string_view text);
};
