#include "LineSplitter.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {
constexpr char kCr = '\r';
constexpr char kLf = '\n';
constexpr char kEndMark = '\x1A';
// A buffer grown by one long line is released rather than kept for the next.
constexpr std::size_t kKeptCapacity = 4096;

// The next place of one byte in a chunk, found with memchr and searched for
// again only once the scan has passed it: each byte of the chunk is looked
// at once per searched value, however many lines the chunk holds.
class NextByte
{
public:
    NextByte(char byte, const char* end) : byte_(byte), end_(end) {}

    // The first place at or after `from` that holds the byte, or the end.
    const char* From(const char* from)
    {
        if (at_ == nullptr || at_ < from) {
            const void* found = std::memchr(from, byte_, static_cast<std::size_t>(end_ - from));
            at_ = found ? static_cast<const char*>(found) : end_;
        }
        return at_;
    }

private:
    char byte_;
    const char* end_;
    const char* at_ = nullptr;
};

// Counting in blocks of a fixed length lets the compiler compare many bytes
// at a time: the lines after the eighth are most of a long file.
std::size_t CountLineFeeds(const char* from, const char* to)
{
    constexpr std::size_t kBlock = 1024;
    std::size_t count = 0;
    for (; static_cast<std::size_t>(to - from) >= kBlock; from += kBlock) {
        unsigned inBlock = 0;
        for (std::size_t i = 0; i < kBlock; ++i)
            inBlock += from[i] == kLf;
        count += inBlock;
    }
    for (; from < to; ++from)
        count += *from == kLf;
    return count;
}
} // namespace

// Gathers each kept line whole for a LineHandler.
class LineSplitter::WholeLines final : public LineSplitter::Receiver
{
public:
    explicit WholeLines(LineHandler onLine) : onLine_(std::move(onLine)) {}

    void Begin(std::size_t) override { line_.clear(); }
    void Bytes(std::size_t, std::string_view bytes) override { line_.append(bytes); }
    void End(std::size_t number) override
    {
        onLine_(number, line_);
        if (line_.capacity() > kKeptCapacity)
            std::string().swap(line_);
    }

private:
    LineHandler onLine_;
    std::string line_;
};

LineSplitter::LineSplitter(LineHandler onLine)
    : wholeLines_(std::make_unique<WholeLines>(std::move(onLine))), receiver_(*wholeLines_)
{
}

LineSplitter::LineSplitter(Receiver& receiver) : receiver_(receiver)
{
}

LineSplitter::~LineSplitter() = default;

void LineSplitter::Feed(std::string_view chunk)
{
    const char* p = chunk.data();
    const char* const end = p + chunk.size();
    NextByte lf(kLf, end), cr(kCr, end), mark(kEndMark, end);
    while (p < end && !atEnd_) {
        if (!inLine_) {
            if (*p == kEndMark) {
                atEnd_ = true;
                return;
            }
            inLine_ = true;
            if (Kept())
                receiver_.Begin(count_ + 1);
        }
        if (Kept()) {
            // A kept line goes over in runs between the bytes that break it.
            const char* stop = std::min({lf.From(p), cr.From(p), mark.From(p)});
            if (stop > p)
                receiver_.Bytes(count_ + 1, std::string_view(p, static_cast<std::size_t>(stop - p)));
            if (stop == end)
                return;
            p = stop + 1;
            if (*stop != kCr)
                EndLine();
        } else {
            // Dropped lines are only counted. Up to the next 0x1A every LF
            // ends one and a CR changes nothing; that 0x1A ends a line too,
            // or the input when a line would begin with it.
            const char* stop = mark.From(p);
            count_ += CountLineFeeds(p, stop);
            if (stop > p)
                inLine_ = stop[-1] != kLf;
            if (stop == end)
                return;
            p = stop;
            if (inLine_) {
                ++p;
                EndLine();
            }
        }
    }
}

void LineSplitter::Finish()
{
    if (inLine_)
        EndLine();
}

void LineSplitter::EndLine()
{
    inLine_ = false;
    ++count_;
    if (count_ <= kKeptLines)
        receiver_.End(count_);
}
