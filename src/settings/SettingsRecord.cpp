#include "SettingsRecord.h"

#include <algorithm>
#include <new>
#include <optional>
#include <random>
#include <stdexcept>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "AnsiCodePage.h"
#include "LineSplitter.h"

namespace fs = std::filesystem;

namespace {

// The reminder program opens "Dados.TXT"; saves produce "Dados.txt". On a
// file system that tells case apart both must still reach the one file.
constexpr std::string_view kReadName = "Dados.TXT";
constexpr std::string_view kWriteName = "Dados.txt";
constexpr std::string_view kTempPrefix = "~Dados.";
constexpr std::string_view kTempSuffix = ".tmp";
constexpr std::size_t kReadChunk = std::size_t{64} * 1024;

// File names are compared in the platform's own characters, so that no
// other name in the folder has to survive a conversion.
using NativeView = std::basic_string_view<fs::path::value_type>;

bool SameIgnoringCase(NativeView name, std::string_view ascii)
{
    auto lower = [](auto c) { return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c; };
    return name.size() == ascii.size()
           && std::equal(name.begin(), name.end(), ascii.begin(), [&](auto x, char y) { return lower(x) == lower(y); });
}

// Only the names a save makes, "~Dados.<digits>.tmp": anything else in the
// folder is somebody else's and stays.
bool IsTemporaryName(NativeView name)
{
    auto sameAs = [](NativeView part, std::string_view ascii) {
        return std::equal(part.begin(), part.end(), ascii.begin(), ascii.end(),
                          [](auto x, char y) { return x == static_cast<decltype(x)>(static_cast<unsigned char>(y)); });
    };
    if (name.size() <= kTempPrefix.size() + kTempSuffix.size()
        || !sameAs(name.substr(0, kTempPrefix.size()), kTempPrefix)
        || !sameAs(name.substr(name.size() - kTempSuffix.size()), kTempSuffix))
        return false;
    const NativeView serial = name.substr(kTempPrefix.size(), name.size() - kTempPrefix.size() - kTempSuffix.size());
    return std::all_of(serial.begin(), serial.end(), [](auto c) { return c >= '0' && c <= '9'; });
}

// Every entry of the folder whose name is the settings file's in any case,
// sorted so that the choice among several is stable.
std::vector<fs::path> NameVariants(const fs::path& dir)
{
    std::vector<fs::path> found;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        if (SameIgnoringCase(it->path().filename().native(), kWriteName))
            found.push_back(it->path());
    }
    std::sort(found.begin(), found.end());
    return found;
}

// The name a save produces comes first: where someone has put other
// spellings beside it, the file this tool wrote is the one read. Whatever the
// entry turns out to be (a link, a pipe) it is chosen by its name alone, and
// the open then refuses what is not a plain file.
std::optional<fs::path> FileToRead(const fs::path& dir)
{
    for (const std::string_view name : {kWriteName, kReadName}) {
        std::error_code ec;
        const fs::path exact = dir / name;
        if (fs::exists(fs::symlink_status(exact, ec)))
            return exact;
    }
    const auto variants = NameVariants(dir);
    if (!variants.empty())
        return variants.front();
    return std::nullopt;
}

// Converts each kept line into its field as its bytes arrive, so a long line
// is only ever held as its Unicode text.
class FieldFiller final : public LineSplitter::Receiver
{
public:
    FieldFiller(std::u16string* const (&fields)[LineSplitter::kKeptLines], std::uintmax_t fileSize)
        : fields_(fields), fileSize_(fileSize)
    {
    }

    // Where the chunk about to be fed starts in memory; the runs handed over
    // point into it, which tells how much of the file is still to come.
    void ChunkAt(const char* start) { chunk_ = start; }
    void ChunkRead(std::size_t bytes) { read_ += bytes; }

    void Begin(std::size_t number) override
    {
        fields_[number - 1]->clear();
        appender_.emplace(*fields_[number - 1]);
    }

    void Bytes(std::size_t number, std::string_view bytes) override
    {
        std::u16string& field = *fields_[number - 1];
        const std::size_t needed = field.size() + bytes.size();
        // Growing a long text by doubling would copy it, the old and new
        // copies side by side. Once a line is past one chunk, room is made
        // at once for as many characters as the file has bytes left (a byte
        // gives at most one UTF-16 unit): the text then never moves, and the
        // room it does not use is address space that is never touched.
        if (needed > field.capacity() && needed > kReadChunk) {
            const std::uintmax_t offset = read_ + static_cast<std::uintmax_t>(bytes.data() - chunk_);
            const std::uintmax_t left = fileSize_ > offset ? fileSize_ - offset : 0;
            try {
                field.reserve(field.size() + kWaiting
                              + static_cast<std::size_t>(std::max<std::uintmax_t>(left, bytes.size())));
            } catch (const std::exception&) {
                // No room for the rest of a huge file at once: grow as the text comes.
            }
        }
        appender_->Append(bytes);
    }

    void End(std::size_t) override
    {
        appender_->Finish();
        appender_.reset();
    }

private:
    // Bytes of a character cut between two runs may be waiting to be added.
    static constexpr std::size_t kWaiting = 4;

    std::u16string* const (&fields_)[LineSplitter::kKeptLines];
    std::uintmax_t fileSize_;
    std::uintmax_t read_ = 0;
    const char* chunk_ = nullptr;
    std::optional<AnsiCodePage::Appender> appender_;
};

} // namespace

SettingsRecord::SettingsRecord(const fs::path& dataRoot) : dataDir_(dataRoot / "Dados")
{
}

const std::u16string& SettingsRecord::HS(int slot) const
{
    switch (slot) {
    case 1: return HS1;
    case 2: return HS2;
    case 3: return HS3;
    case 4: return HS4;
    case 5: return HS5;
    case 6: return HS6;
    default: throw std::out_of_range("slot outside 1..6");
    }
}

void SettingsRecord::SetDefaults()
{
    CnfApr = u"0";
    CnfWin = u"0";
    HS1 = u"00:00";
    HS2 = u"00:00";
}

void SettingsRecord::PauseBeforeRetry(int)
{
    std::this_thread::sleep_for(kWritePause);
}

SettingsResult SettingsRecord::SyncFolder(const fs::path& folder)
{
    return DataFile::SyncFolder(folder);
}

void SettingsRecord::MovePointPassed(DataFile::MovePoint)
{
}

SettingsResult SettingsRecord::ReadChunk(std::span<char> buffer, std::size_t& got)
{
    return ArqDados.Read(buffer, got);
}

std::optional<fs::path> SettingsRecord::UnreadFilePresent() const
{
    if (loaded_)
        return std::nullopt;
    auto file = FileToRead(dataDir_);
    // A file with a second name is never read, since that name may be
    // anybody's private file; replacing it loses nothing, as its content
    // stays under the other name. Refusing would let whoever may only read
    // the folder stop every save with one link.
    std::error_code ec;
    if (file && fs::is_regular_file(fs::symlink_status(*file, ec)) && fs::hard_link_count(*file, ec) > 1 && !ec)
        return std::nullopt;
    return file;
}

SettingsRecord::SlotTime SettingsRecord::Slot(int slot) const
{
    const std::u16string_view line = HS(slot);
    auto part = [&line](std::size_t from) {
        return from < line.size() ? std::u16string(line.substr(from, 2)) : std::u16string();
    };
    // A colon in place of the hour's first or second digit (":", ":30", "7:30",
    // "9:") ends a shorter hour: cutting at the fixed places would carry the
    // colon into the hour and the next save would write a time nobody set.
    if (const auto colon = line.find(u':'); colon < 2)
        return {std::u16string(line.substr(0, colon)), part(colon + 1)};
    return {part(0), part(3)};
}

SettingsResult SettingsRecord::Grava(bool automaticPresentation, const std::array<SlotTime, 6>& slots)
{
    if (const auto unread = UnreadFilePresent())
        return Concerning(SettingsResult::Failed(SettingsFailure::NotReadYet, *unread));
    // Line 2 is copied and may be huge: no room for it is a save that did
    // not happen, like any other failure.
    std::array<std::u16string, 8> lines;
    try {
        lines[0] = automaticPresentation ? u"1" : u"0";
        lines[1] = CnfWin;
        for (std::size_t i = 0; i < slots.size(); ++i)
            lines[i + 2] = slots[i].hour + u':' + slots[i].minute;
    } catch (const std::exception&) {
        return Concerning(SettingsResult::Failed(SettingsFailure::NoMemory, dataDir_ / kWriteName));
    }
    SettingsResult result = GravaArqDados(lines);
    // The file now on disk is the one just written: saving again replaces
    // nothing that was never read.
    if (result)
        loaded_ = true;
    return result;
}

SettingsResult SettingsRecord::LeArqDados()
{
    // The lines go to the spare strings first: a read that stops part way
    // must not leave a cut line, nor drop what an earlier read gave.
    for (std::u16string& line : spare_)
        line.clear();
    std::size_t count = 0;
    SettingsResult result;
    try {
        result = ReadInto(spare_, count);
    } catch (const std::exception&) {
        ArqDados.Close(); // no room even to start: a failed read like any other
        result = SettingsResult::Failed(SettingsFailure::NoMemory, dataDir_ / kWriteName);
    }
    if (!result) {
        for (std::u16string& line : spare_)
            line.clear();
        if (!loaded_)
            SetDefaults();
        return result;
    }
    loaded_ = true;
    SetDefaults();
    std::u16string* const fields[LineSplitter::kKeptLines] = {&CnfApr, &CnfWin, &HS1, &HS2, &HS3, &HS4, &HS5, &HS6};
    for (std::size_t i = 0; i < count && i < spare_.size(); ++i)
        fields[i]->swap(spare_[i]);
    return result;
}

SettingsResult SettingsRecord::ReadInto(std::array<std::u16string, LineSplitter::kKeptLines>& lines, std::size_t& count)
{
    count = 0;
    ArqDados.Close();
    const auto file = FileToRead(dataDir_);
    if (!file) {
        std::error_code ec;
        if (!fs::is_directory(dataDir_, ec)) {
            SettingsResult result = SettingsResult::Failed(SettingsFailure::NoFolder, dataDir_, ec);
            result.file = dataDir_ / kWriteName;
            return result;
        }
        return SettingsResult::Failed(SettingsFailure::NoFile, dataDir_ / kWriteName);
    }
    if (SettingsResult opened = ArqDados.OpenForReading(*file); !opened)
        return opened;

    std::u16string* const fields[LineSplitter::kKeptLines] = {&lines[0], &lines[1], &lines[2], &lines[3],
                                                              &lines[4], &lines[5], &lines[6], &lines[7]};
    FieldFiller filler(fields, ArqDados.Size());
    LineSplitter splitter(filler);

    // Read to the very end even past the eighth line: a file that cannot be
    // read whole is a failed read.
    std::vector<char> buffer(kReadChunk);
    SettingsResult result;
    try {
        while (!splitter.AtEnd()) {
            std::size_t got = 0;
            result = ReadChunk(buffer, got);
            if (!result)
                break;
            if (got == 0)
                break;
            filler.ChunkAt(buffer.data());
            splitter.Feed(std::string_view(buffer.data(), got));
            filler.ChunkRead(got);
        }
        if (result)
            splitter.Finish();
    } catch (const std::bad_alloc&) {
        // lines too long to hold: a failed read, not a crash
        result = SettingsResult::Failed(SettingsFailure::NoMemory, *file);
    } catch (const std::length_error&) {
        result = SettingsResult::Failed(SettingsFailure::NoMemory, *file);
    }
    ArqDados.Close();
    count = splitter.LineCount();
    return result;
}

SettingsResult SettingsRecord::GravaArqDados(const std::array<std::u16string, 8>& lines)
{
    // A line break or an end-of-file mark inside a line would split it, and
    // every line after it would reach the reminder one place down.
    for (const auto& line : lines) {
        if (line.find_first_of(u"\r\n\x1A") != std::u16string::npos)
            return Concerning(SettingsResult::Failed(SettingsFailure::LineBreakInLine, dataDir_ / kWriteName));
    }
    // Whatever goes wrong, running out of memory for a huge line included,
    // is a save that did not happen: the old file stays as it was.
    SettingsResult result;
    try {
        std::string bytes;
        for (const auto& line : lines) {
            bytes += AnsiCodePage::FromUnicode(line);
            bytes += "\r\n";
        }
        for (int attempt = 1; attempt <= kWriteAttempts; ++attempt) {
            result = TryWrite(bytes);
            if (result)
                return result;
            if (attempt < kWriteAttempts)
                PauseBeforeRetry(attempt + 1);
        }
    } catch (const std::exception&) {
        ArqDados.Close();
        result = SettingsResult::Failed(SettingsFailure::NoMemory, dataDir_ / kWriteName);
    }
    return Concerning(result);
}

// The new content goes to a temporary file beside the old one and, once it
// is on disk, takes the old one's place in a single rename: the reminder
// program finds either the old file or the new one, never a partial file.
SettingsResult SettingsRecord::Concerning(SettingsResult result) const
{
    if (!result)
        result.file = dataDir_ / kWriteName;
    return result;
}

SettingsResult SettingsRecord::TryWrite(const std::string& bytes)
{
    ArqDados.Close();
    std::error_code ec;
    if (!fs::is_directory(dataDir_, ec))
        return SettingsResult::Failed(SettingsFailure::NoFolder, dataDir_, ec);
    RemoveLeftovers();

    fs::path temp;
    SettingsResult result;
    for (int tries = 0; tries < 3 && temp.empty(); ++tries) {
        const fs::path candidate = NewTemporaryName();
        result = ArqDados.CreateForWriting(candidate).At(SaveStep::Create);
        if (result)
            temp = candidate;
    }
    if (temp.empty())
        return result;

    const fs::path target = dataDir_ / kWriteName;
    std::vector<fs::path> replaced;
    try {
        replaced = NameVariants(dataDir_);
        result = ArqDados.Write(bytes).At(SaveStep::Write);
        if (result)
            result = ArqDados.Flush().At(SaveStep::FlushFile);
        const DataFile::MoveSteps steps = {[this](const fs::path& folder) { return SyncFolder(folder); },
                                           [this](DataFile::MovePoint point) { MovePointPassed(point); }};
        if (result)
            result = ArqDados.MoveOver(target, replaced, steps);
    } catch (...) {
        ArqDados.Close();
        fs::remove(temp, ec);
        throw;
    }
    ArqDados.Close();
    if (!result) {
        fs::remove(temp, ec);
        return result;
    }
    // Other spellings of the name would leave two settings files behind.
    // Where case does not matter they are the new file itself and stay.
    for (const auto& other : replaced) {
        if (other != target && !fs::equivalent(other, target, ec) && !ec)
            fs::remove(other, ec);
    }
    return result;
}

fs::path SettingsRecord::NewTemporaryName()
{
    if (tempSerial_ == 0) {
        std::random_device seed;
        tempSerial_ = (std::uint64_t{seed()} << 32) | seed();
    }
    ++tempSerial_;
    return dataDir_ / (std::string(kTempPrefix) + std::to_string(tempSerial_) + std::string(kTempSuffix));
}

void SettingsRecord::RemoveLeftovers() const
{
    std::error_code ec;
    int examined = 0;
    for (fs::directory_iterator it(dataDir_, ec), end; !ec && it != end && examined < kLeftoversPerSave;
         it.increment(ec)) {
        if (IsTemporaryName(it->path().filename().native())) {
            DataFile::RemoveIfUnused(it->path());
            ++examined;
        }
    }
}
