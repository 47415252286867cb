#pragma once

#include <cstddef>
#include <functional>
#include <memory>
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
// skipped without being copied, so memory stays bounded by the kept lines.
class LineSplitter
{
public:
    static constexpr std::size_t kKeptLines = 8;

    // Takes the kept lines as their bytes arrive, so that a long line need
    // not be held whole: for each line Begin, then Bytes for every run of it
    // (none for an empty line; never an empty run), then End. Lines come in
    // order, numbered from 1.
    class Receiver
    {
    public:
        virtual void Begin(std::size_t number) = 0;
        // `bytes` is a part of the chunk being fed, valid during the call.
        virtual void Bytes(std::size_t number, std::string_view bytes) = 0;
        virtual void End(std::size_t number) = 0;

    protected:
        ~Receiver() = default;
    };

    // Called with the line number (1-based) and the line's bytes, which are
    // only valid during the call.
    using LineHandler = std::function<void(std::size_t number, std::string_view bytes)>;

    // Whole lines, gathered here before each is handed over.
    explicit LineSplitter(LineHandler onLine);
    // Runs of lines as they arrive; `receiver` must outlive the splitter.
    explicit LineSplitter(Receiver& receiver);
    ~LineSplitter();
    LineSplitter(const LineSplitter&) = delete;
    LineSplitter& operator=(const LineSplitter&) = delete;

    // Bytes after the end mark are ignored.
    void Feed(std::string_view chunk);
    // End of input: hands over an unfinished last line.
    void Finish();

    // True once 0x1A began a line: the caller may stop reading.
    bool AtEnd() const { return atEnd_; }
    // Every line read so far, dropped ones included.
    std::size_t LineCount() const { return count_; }

private:
    class WholeLines;

    bool Kept() const { return count_ < kKeptLines; }
    void EndLine();

    std::unique_ptr<WholeLines> wholeLines_;
    Receiver& receiver_;
    std::size_t count_ = 0;
    bool inLine_ = false;
    bool atEnd_ = false;
};
