#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "DataFile.h"
#include "SettingsResult.h"

// The settings file's values as the configuration window holds them, with
// the two operations on the file: LeArqDados reads it into the fields,
// GravaArqDados replaces it with eight given lines. Each operation returns
// a SettingsResult: true when it worked, else why it did not.
class SettingsRecord
{
public:
    // A save that keeps failing (read-only file, missing folder) must not
    // freeze the window: at most this many attempts, this far apart.
    static constexpr int kWriteAttempts = 5;
    static constexpr std::chrono::milliseconds kWritePause{100};

    // The settings live in dataRoot/"Dados", which is never created here.
    explicit SettingsRecord(const std::filesystem::path& dataRoot);
    virtual ~SettingsRecord() = default;
    SettingsRecord(const SettingsRecord&) = delete;
    SettingsRecord& operator=(const SettingsRecord&) = delete;

    std::u16string CnfApr, CnfWin, HS1, HS2, HS3, HS4, HS5, HS6;

    // Slots 1..6 are HS1..HS6; any other slot throws std::out_of_range.
    const std::u16string& HS(int slot) const;

    // A slot's time as its two fields show it.
    struct SlotTime
    {
        std::u16string hour;
        std::u16string minute;
    };
    // Line 1 says the automatic presentation is on only as exactly "1".
    bool AutomaticPresentation() const { return CnfApr == u"1"; }
    // Characters 1-2 of the slot's line are its hour and 4-5 its minute;
    // the third is not looked at and nothing is checked, so a short line
    // gives what it has. Where a colon stands first or second, the hour is
    // what comes before it and the minute the two characters after it.
    SlotTime Slot(int slot) const;

    // Saves the automatic-presentation flag, line 2 as last read and the six
    // slots as "hour:minute". Refuses, writing nothing, while a settings
    // file is there that no read has managed to read: replacing it would
    // drop its line 2 and every slot not typed again. A file with a second
    // name is the exception: it is never read, its content stays under its
    // other name, and it is replaced. A save that worked counts as a read of
    // the file it wrote.
    SettingsResult Grava(bool automaticPresentation, const std::array<SlotTime, 6>& slots);

    // True when the file was opened and read to its end; only then do the
    // fields take the file's lines. A read that fails, even part way, leaves
    // the fields as they were: what an earlier read gave, or the defaults
    // while no read has worked yet.
    SettingsResult LeArqDados();
    // True once the file holds exactly these lines; false when every attempt
    // failed (with the last attempt's cause) or a line holds CR, LF or 0x1A,
    // and then the previous file is untouched.
    SettingsResult GravaArqDados(const std::array<std::u16string, 8>& lines);

    // Each save removes at most this many leftovers of interrupted saves;
    // the rest go at later saves, so a folder stuffed with them costs any
    // one save little.
    static constexpr int kLeftoversPerSave = 64;
    // Removes leftovers as a save does; called once at start-up. Where the
    // folder may not be written nothing is removed.
    void RemoveLeftovers() const;

protected:
    // Reads the next bytes of the open file; `got` is 0 at its end. Tests
    // put failures in here.
    virtual SettingsResult ReadChunk(std::span<char> buffer, std::size_t& got);
    // Runs between two save attempts, before attempt `nextAttempt`: waits
    // kWritePause for another program to let go of the file.
    virtual void PauseBeforeRetry(int nextAttempt);
    // Puts the folder's entries on disk once the new file is in place; a
    // save whose folder cannot be synced did not happen.
    virtual SettingsResult SyncFolder(const std::filesystem::path& folder);
    // Runs as a save passes each point after the new file went under the
    // name; tests act there as another member would.
    virtual void MovePointPassed(DataFile::MovePoint point);

private:
    void SetDefaults();
    // A settings file is there but no read of this record has worked yet
    // (held by another program, unreadable).
    std::optional<std::filesystem::path> UnreadFilePresent() const;
    // Reads the file's first lines into `lines`; `count` is how many lines it has.
    SettingsResult ReadInto(std::array<std::u16string, 8>& lines, std::size_t& count);
    // A failed save names the file it was to write.
    SettingsResult Concerning(SettingsResult result) const;
    SettingsResult TryWrite(const std::string& bytes);
    std::filesystem::path NewTemporaryName();

    std::filesystem::path dataDir_;
    // What the next read fills before the fields take it. After a read that
    // worked it holds the fields' former text, so reading the same file again
    // reuses that room: memory the system must first hand over and clear
    // costs more than the read itself.
    std::array<std::u16string, 8> spare_;
    std::uint64_t tempSerial_ = 0;
    bool loaded_ = false; // a read has worked
    DataFile ArqDados;
};
