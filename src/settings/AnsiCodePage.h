#pragma once

#include <cstddef>
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

    // How many bytes at the end of `bytes` (which begins on a character
    // boundary) start a character that `bytes` does not finish: a lone lead
    // byte in a double-byte code page, a cut sequence in UTF-8. Always 0 in a
    // single-byte code page.
    static std::size_t UnfinishedTail(std::string_view bytes);

    // A surrogate pair is one character in two UTF-16 units: a high half,
    // then a low half.
    static constexpr bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
    static constexpr bool StartsSurrogatePair(std::u16string_view text, std::size_t i)
    {
        return i + 1 < text.size() && IsHighSurrogate(text[i]) && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
    }

    // Holds back a character cut between two pieces of a text until its last
    // byte arrives, so that converting piece by piece gives what converting
    // the whole text would. Independent of the code page: `unfinishedTail`
    // tells where characters end and `convert` takes whole characters only.
    class Carry
    {
    public:
        template <class UnfinishedTailFn, class ConvertFn>
        void Feed(std::string_view piece, UnfinishedTailFn unfinishedTail, ConvertFn convert)
        {
            // Complete the held character from the front of this piece; one
            // byte at a time, as a character is at most a few bytes long.
            while (!held_.empty() && !piece.empty()) {
                held_.push_back(piece.front());
                piece.remove_prefix(1);
                const std::size_t whole = held_.size() - unfinishedTail(std::string_view(held_));
                if (whole > 0) {
                    convert(std::string_view(held_).substr(0, whole));
                    held_.erase(0, whole);
                }
            }
            if (piece.empty())
                return;
            const std::size_t whole = piece.size() - unfinishedTail(piece);
            if (whole > 0)
                convert(piece.substr(0, whole));
            held_.assign(piece.substr(whole));
        }

        // End of the text: an unfinished character converts as it stands.
        template <class ConvertFn>
        void Finish(ConvertFn convert)
        {
            if (!held_.empty())
                convert(std::string_view(held_));
            held_.clear();
        }

        bool Holding() const { return !held_.empty(); }

    private:
        std::string held_;
    };

    // Appends a text that arrives in pieces to `text`, converting each piece
    // as it comes, so the text's bytes are never held whole beside it.
    class Appender
    {
    public:
        explicit Appender(std::u16string& text) : text_(text) {}

        void Append(std::string_view piece)
        {
            carry_.Feed(piece, &AnsiCodePage::UnfinishedTail,
                        [this](std::string_view whole) { AppendWhole(text_, whole); });
        }

        void Finish()
        {
            carry_.Finish([this](std::string_view whole) { AppendWhole(text_, whole); });
        }

    private:
        std::u16string& text_;
        Carry carry_;
    };

private:
    // Appends the Unicode text of bytes that end on a character boundary.
    static void AppendWhole(std::u16string& text, std::string_view bytes);
};
