// Drives the settings file's line splitting with arbitrary bytes cut into
// arbitrary chunks, and checks what the reader must always guarantee: whole
// lines and lines handed over in runs agree with a plain reading of the rules,
// and a text converted piece by piece equals the text converted whole.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "AnsiCodePage.h"
#include "FakeCodePage.h"
#include "LineSplitter.h"

namespace {

struct Result
{
    std::vector<std::string> lines;
    std::size_t count = 0;
    bool atEnd = false;

    bool operator==(const Result&) const = default;
};

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

// Feeds `bytes` in pseudo-random chunks of 1 to maxChunk bytes; 0 feeds the
// whole input at once.
Result Split(std::string_view bytes, std::size_t maxChunk, std::uint32_t seed = 0)
{
    Result r;
    std::size_t expected = 1;
    LineSplitter splitter([&](std::size_t number, std::string_view line) {
        Check(number == expected++);
        r.lines.emplace_back(line);
    });
    std::uint32_t state = seed;
    while (!bytes.empty()) {
        std::size_t size = bytes.size();
        if (maxChunk != 0) {
            state = state * 1664525u + 1013904223u;
            size = std::min<std::size_t>(bytes.size(), 1 + (state >> 16) % maxChunk);
        }
        splitter.Feed(bytes.substr(0, size));
        bytes.remove_prefix(size);
    }
    splitter.Finish();
    r.count = splitter.LineCount();
    r.atEnd = splitter.AtEnd();
    return r;
}

// The same input handed over in runs, joined again, with the order of the
// calls checked on the way.
class Joiner final : public LineSplitter::Receiver
{
public:
    std::vector<std::string> lines;

    void Begin(std::size_t number) override
    {
        Check(open_ == 0 && number == lines.size() + 1 && number <= LineSplitter::kKeptLines);
        open_ = number;
        lines.emplace_back();
    }
    void Bytes(std::size_t number, std::string_view bytes) override
    {
        Check(number == open_ && !bytes.empty());
        lines.back().append(bytes);
    }
    void End(std::size_t number) override
    {
        Check(number == open_);
        open_ = 0;
    }
    bool Closed() const { return open_ == 0; }

private:
    std::size_t open_ = 0;
};

Result SplitInRuns(std::string_view bytes, std::size_t maxChunk, std::uint32_t seed)
{
    Joiner joiner;
    LineSplitter splitter(joiner);
    std::uint32_t state = seed;
    while (!bytes.empty()) {
        state = state * 1664525u + 1013904223u;
        const std::size_t size = std::min<std::size_t>(bytes.size(), 1 + (state >> 16) % maxChunk);
        splitter.Feed(bytes.substr(0, size));
        bytes.remove_prefix(size);
    }
    splitter.Finish();
    Check(joiner.Closed());
    Result r;
    r.lines = joiner.lines;
    r.count = splitter.LineCount();
    r.atEnd = splitter.AtEnd();
    return r;
}

// Each character's bytes, then a separator: cutting a character in two
// would show as a separator inside it.
std::string FakeConvert(std::string_view bytes)
{
    std::string text;
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t length = std::min(FakeLength(static_cast<unsigned char>(bytes[at])), bytes.size() - at);
        text.append(bytes.substr(at, length));
        text.push_back('|');
        at += length;
    }
    return text;
}

void CheckCarry(std::string_view bytes, std::size_t maxChunk, std::uint32_t seed)
{
    std::string pieces;
    auto convert = [&](std::string_view whole) { pieces += FakeConvert(whole); };
    AnsiCodePage::Carry carry;
    std::uint32_t state = seed;
    std::string_view rest = bytes;
    while (!rest.empty()) {
        state = state * 22695477u + 1u;
        const std::size_t size = std::min<std::size_t>(rest.size(), (state >> 16) % (maxChunk + 1));
        carry.Feed(rest.substr(0, size), FakeUnfinishedTail, convert);
        rest.remove_prefix(size);
    }
    carry.Finish(convert);
    Check(!carry.Holding());
    Check(pieces == FakeConvert(bytes));
    // The real conversion appends each piece as it comes.
    std::u16string appended;
    AnsiCodePage::Appender appender(appended);
    for (std::size_t at = 0; at < bytes.size(); at += maxChunk)
        appender.Append(bytes.substr(at, maxChunk));
    appender.Finish();
    Check(appended == AnsiCodePage::ToUnicode(bytes));
}

// The reading rules written out plainly over the whole input, as a second
// opinion on the incremental splitter.
Result Model(std::string_view bytes)
{
    Result r;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        if (bytes[pos] == '\x1A') {
            r.atEnd = true;
            break;
        }
        std::string line;
        while (pos < bytes.size()) {
            const char c = bytes[pos++];
            if (c == '\n' || c == '\x1A')
                break;
            if (c != '\r')
                line.push_back(c);
        }
        if (++r.count <= LineSplitter::kKeptLines)
            r.lines.push_back(line);
    }
    return r;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    // The first two bytes choose the chunking; the rest is the file.
    const std::size_t maxChunk = data[0] % 97u + 1u;
    const std::uint32_t seed = data[1];
    const std::string_view file(reinterpret_cast<const char*>(data) + 2, size - 2);

    const Result whole = Split(file, 0);
    Check(whole.lines.size() <= LineSplitter::kKeptLines);
    Check(whole.lines.size() == std::min(whole.count, LineSplitter::kKeptLines));
    std::size_t stored = 0;
    for (const auto& line : whole.lines) {
        Check(line.find_first_of("\r\n\x1A") == std::string::npos);
        stored += line.size();
        // Every byte a line holds goes back to the file unchanged.
        Check(AnsiCodePage::FromUnicode(AnsiCodePage::ToUnicode(line)) == line);
    }
    Check(stored <= file.size());

    Check(Split(file, maxChunk, seed) == whole);
    Check(Split(file, 1) == whole); // one byte at a time
    Check(Model(file) == whole);
    Check(SplitInRuns(file, maxChunk, seed) == whole);
    CheckCarry(file, maxChunk, seed);
    return 0;
}
