#include "SettingsResult.h"

namespace {

// With the platform's own separators throughout, as an administrator types it.
std::string Utf8(std::filesystem::path path)
{
    const auto text = path.make_preferred().u8string();
    return std::string(text.begin(), text.end());
}

// What the failure means and what to do about it, without the file's name.
std::string Reason(const SettingsResult& r, SettingsOperation operation)
{
    std::string system = r.system ? r.system.message() : std::string();
    switch (r.failure) {
    case SettingsFailure::None: return "no failure";
    case SettingsFailure::NoFile: return "there is no settings file yet; the first save creates it";
    case SettingsFailure::NoFolder:
        return "the data folder " + Utf8(r.where) + " is missing or not a folder; it is created on installation";
    case SettingsFailure::NotPermitted: {
        std::error_code ec;
        const std::filesystem::path folder =
            std::filesystem::is_directory(r.where, ec) ? r.where : r.where.parent_path();
        if (operation == SettingsOperation::Read)
            return system + "; everybody must be able to read " + Utf8(r.where);
        const std::string advice = PermissionAdvice(folder);
        return system + (advice.empty() ? std::string() : "; " + advice);
    }
    case SettingsFailure::ReadOnlyFileSystem: return system + "; the disk that holds it is mounted read-only";
    case SettingsFailure::DiskFull: return system + "; the disk is full or this user's disk quota is used up";
    case SettingsFailure::ReadOnlyFile:
        return Utf8(r.where) + " is read-only; make it writable for the users who may change the schedule";
    case SettingsFailure::NotAPlainFile:
        return Utf8(r.where) + " is not a plain file (a link, a folder, a pipe or a device); remove it";
    case SettingsFailure::OtherNames:
        return "the file has another name too (a hard link); replace it with a file of its own";
    case SettingsFailure::TooLarge: return "the file is far larger than any settings file (over 16 MiB)";
    case SettingsFailure::InUse: return "another program is writing the file; try again once it has finished";
    case SettingsFailure::ChangedMeanwhile:
        return "changed by someone else meanwhile (replaced or moved while it was being saved); try again";
    case SettingsFailure::LineBreakInLine:
        return "a line holds a line break or an end-of-file mark, which would move every later line";
    case SettingsFailure::NotReadYet:
        return "the file there could not be read, and saving would lose what it holds; mend what stops its read";
    case SettingsFailure::NoMemory: return "not enough memory to hold its lines";
    case SettingsFailure::SystemError: return system.empty() ? std::string("the system refused") : system;
    }
    return system;
}

// The step of a save that failed, as the line names it; empty for none.
std::string Step(const SettingsResult& r)
{
    switch (r.step) {
    case SaveStep::None: return {};
    case SaveStep::Create: return "creating the new file failed: ";
    case SaveStep::Write: return "writing the new file failed: ";
    case SaveStep::FlushFile: return "flushing the new file to disk failed: ";
    case SaveStep::TakeOld: return "replacing the file there failed: ";
    case SaveStep::Move: return "putting the new file in place failed: ";
    case SaveStep::ChangeMode: return "opening the new file to the group (mode 0664) failed: ";
    case SaveStep::FlushFolder: return "flushing the folder " + Utf8(r.where) + " to disk failed: ";
    case SaveStep::Confirm: return "the last look that the name holds the new file failed: ";
    }
    return {};
}

} // namespace

std::string DescribeFailure(const SettingsResult& result, SettingsOperation operation)
{
    const std::filesystem::path& file = result.file.empty() ? result.where : result.file;
    std::string line = operation == SettingsOperation::Read ? "cannot read " : "cannot save ";
    line += Utf8(file) + ": ";
    if (operation == SettingsOperation::Save)
        line += Step(result);
    line += Reason(result, operation);
    for (char& c : line) {
        if (c == '\n' || c == '\r')
            c = ' '; // one line, whatever a name or the system's text holds
    }
    return line;
}
