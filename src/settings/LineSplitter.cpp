#include "LineSplitter.h"

#include <utility>

namespace {
constexpr char kCr = '\r';
constexpr char kLf = '\n';
constexpr char kEndMark = '\x1A';
// A buffer grown by one long line is released rather than kept for the next.
constexpr std::size_t kKeptCapacity = 4096;
}

LineSplitter::LineSplitter(LineHandler onLine)
    : onLine_(std::move(onLine))
{
}

void LineSplitter::Feed(std::string_view chunk)
{
    for (const char c : chunk) {
        if (atEnd_)
            return;
        if (!inLine_) {
            if (c == kEndMark) {
                atEnd_ = true;
                return;
            }
            inLine_ = true;
        }
        switch (c) {
        case kCr:
            break;
        case kLf:
        case kEndMark:
            EndLine();
            break;
        default:
            if (count_ < kKeptLines)
                line_.push_back(c);
            break;
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
        onLine_(count_, line_);
    if (line_.capacity() > kKeptCapacity)
        std::string().swap(line_);
    else
        line_.clear();
}
