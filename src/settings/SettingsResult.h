#pragma once

#include <filesystem>
#include <string>
#include <system_error>

// Why a read or a save of the settings file did not happen. The window
// shows only its own short messages; these causes are for whoever runs the
// machine, and say what to change.
enum class SettingsFailure
{
    None,
    NoFile,             // nothing under the name (the usual case before the first save)
    NoFolder,           // the data folder is missing or not a folder
    NotPermitted,       // the system refused access to the folder or the file
    ReadOnlyFileSystem, // the disk is mounted read-only
    DiskFull,           // no space left, or the user's quota is used up
    ReadOnlyFile,       // the file under the name may not be written
    NotAPlainFile,      // a link, a folder, a pipe or a device under the name
    OtherNames,         // the file also has another name (a hard link)
    TooLarge,           // far larger than any settings file
    InUse,              // another program is writing the file
    ChangedMeanwhile,   // someone else replaced or took the file while this save ran
    LineBreakInLine,    // a line to save holds CR, LF or 0x1A
    NotReadYet,         // a file is there that no read has managed to read: saving would lose it
    NoMemory,           // not enough memory to hold the lines
    SystemError,        // any other refusal of the system, kept in `system`
};

// The step of a save that failed, named in its cause line. None for a save
// refused before it touched anything (and for every read).
enum class SaveStep
{
    None,
    Create,      // creating the new file beside the old one
    Write,       // writing the new file
    FlushFile,   // putting the new file on the disk
    TakeOld,     // holding the file under the name while it is replaced
    Move,        // putting the new file in place of the old one
    ChangeMode,  // opening the new file to the group once it is in place
    FlushFolder, // putting the folder's entries on the disk
    Confirm,     // the last look that the name holds the file written
};

// The outcome of one operation on the settings file: true when it worked,
// else what failed, the system's own error (errno, GetLastError) when it
// gave one, and the file or folder concerned. `file` is the settings file
// the operation was about, which SettingsRecord fills in.
struct SettingsResult
{
    SettingsFailure failure = SettingsFailure::None;
    std::error_code system;
    std::filesystem::path where;
    std::filesystem::path file;
    SaveStep step = SaveStep::None;

    explicit operator bool() const { return failure == SettingsFailure::None; }

    static SettingsResult Ok() { return {}; }
    static SettingsResult Failed(SettingsFailure failure, const std::filesystem::path& where,
                                 std::error_code system = {})
    {
        return {failure, system, where, {}, SaveStep::None};
    }
    // The same failure, as the outcome of `at`; a success stays one.
    SettingsResult At(SaveStep at) const
    {
        SettingsResult result = *this;
        if (!result && result.step == SaveStep::None)
            result.step = at;
        return result;
    }
    // A failure the system reported with this error number (errno on POSIX,
    // GetLastError on Windows), sorted into its kind.
    static SettingsResult FromSystem(int error, const std::filesystem::path& where);
};

// What an administrator reads: the operation, the file, the system's reason
// and, where it helps, who may change the folder. One line, UTF-8.
enum class SettingsOperation
{
    Read,
    Save
};
std::string DescribeFailure(const SettingsResult& result, SettingsOperation operation);

// The platform's word on a refused access to `folder` by this process: on
// POSIX the group that may change it and whether this user belongs to it.
std::string PermissionAdvice(const std::filesystem::path& folder);
