#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

// Splits the settings file into lines as the reminder program expects them,
// whatever the pieces the bytes arrive in:
// - LF ends a line; every CR is dropped (before LF it belongs to the break,
//   elsewhere it is ignored), so no line ever holds a CR;
// - 0x1A where a line would begin ends the input; inside a line it ends the
//   line and what follows it starts the next one;
// - a last line without a break counts; nothing follows a final break.
// Only the first kKeptLines lines are handed over; later ones are counted and
// their bytes discarded, so memory stays bounded by the kept lines.
class LineSplitter
{
public:
    static constexpr std::size_t kKeptLines = 8;

    // Called with the line number (1-based) and the line's bytes, which are
    // only valid during the call.
    using LineHandler = std::function<void(std::size_t number, std::string_view bytes)>;

    explicit LineSplitter(LineHandler onLine);

    // Bytes after the end mark are ignored.
    void Feed(std::string_view chunk);
    // End of input: hands over an unfinished last line.
    void Finish();

    // True once 0x1A began a line: the caller may stop reading.
    bool AtEnd() const { return atEnd_; }
    // Every line read so far, dropped ones included.
    std::size_t LineCount() const { return count_; }

private:
    void EndLine();

    LineHandler onLine_;
    std::string line_;
    std::size_t count_ = 0;
    bool inLine_ = false;
    bool atEnd_ = false;
};
