#include "DataFile.h"

#include <climits>
#include <string>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace {

HANDLE Handle(std::intptr_t handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

// Others may read the file while it is open here, but not write it.
HANDLE OpenShared(const std::filesystem::path& file, DWORD access, DWORD disposition)
{
    return CreateFileW(file.c_str(), access, FILE_SHARE_READ, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The spelling of a file's name as it stands on the disk, or empty.
std::wstring NameOnDisk(const std::filesystem::path& file)
{
    WIN32_FIND_DATAW found{};
    const HANDLE find = FindFirstFileW(file.c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return {};
    FindClose(find);
    return found.cFileName;
}

// Replacing a file whose name differs only in case may keep the old
// spelling, and the saved file is to bear the name as given. A change of
// case in place keeps the file there throughout; where that does nothing
// (Wine), the file goes round by a free name and is missing for a moment,
// which happens once, while the old spelling is still on the disk. Any
// failure leaves the content saved, under one spelling or the other.
void MatchNameCase(const std::filesystem::path& target)
{
    const std::wstring onDisk = NameOnDisk(target);
    if (onDisk.empty() || onDisk == target.filename().native())
        return;
    const std::filesystem::path actual = target.parent_path() / onDisk;
    if (MoveFileExW(actual.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)
        && NameOnDisk(target) == target.filename().native())
        return;
    std::filesystem::path aside = target;
    aside += L".case";
    if (!MoveFileExW(actual.c_str(), aside.c_str(), MOVEFILE_WRITE_THROUGH))
        return;
    if (!MoveFileExW(aside.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH))
        MoveFileExW(aside.c_str(), actual.c_str(), MOVEFILE_WRITE_THROUGH);
}

SettingsResult LastError(const std::filesystem::path& where)
{
    return SettingsResult::FromSystem(static_cast<int>(GetLastError()), where);
}

SettingsResult NotOpen(const std::filesystem::path& where)
{
    return SettingsResult::Failed(SettingsFailure::SystemError, where,
                                  std::error_code(ERROR_INVALID_HANDLE, std::system_category()));
}

} // namespace

SettingsResult SettingsResult::FromSystem(int error, const std::filesystem::path& where)
{
    SettingsFailure failure = SettingsFailure::SystemError;
    switch (static_cast<DWORD>(error)) {
    case ERROR_FILE_NOT_FOUND: failure = SettingsFailure::NoFile; break;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DIRECTORY: failure = SettingsFailure::NoFolder; break;
    case ERROR_ACCESS_DENIED: failure = SettingsFailure::NotPermitted; break;
    case ERROR_WRITE_PROTECT: failure = SettingsFailure::ReadOnlyFileSystem; break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: failure = SettingsFailure::DiskFull; break;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: failure = SettingsFailure::InUse; break;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: failure = SettingsFailure::NoMemory; break;
    default: break;
    }
    return Failed(failure, where, std::error_code(error, std::system_category()));
}

// Who may change the folder is set by its access list; the tool runs as
// administrator, so a refusal means the list keeps out even administrators.
std::string PermissionAdvice(const std::filesystem::path& folder)
{
    const auto text = std::filesystem::path(folder).make_preferred().u8string();
    return "the administrators must be allowed to change " + std::string(text.begin(), text.end());
}

DataFile::~DataFile()
{
    Close();
}

SettingsResult DataFile::OpenForReading(const std::filesystem::path& file)
{
    Close();
    // The link itself is opened, not what it points to, and then refused
    // with anything else that is not a plain file on a disk.
    const HANDLE h = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        SettingsResult result = LastError(file);
        // A folder under the name cannot be opened as a file: access denied.
        const DWORD attributes = GetFileAttributesW(file.c_str());
        if (result.failure == SettingsFailure::NotPermitted && attributes != INVALID_FILE_ATTRIBUTES
            && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            result.failure = SettingsFailure::NotAPlainFile;
        return result;
    }
    handle_ = reinterpret_cast<std::intptr_t>(h);
    opened_ = file;
    BY_HANDLE_FILE_INFORMATION info{};
    LARGE_INTEGER size{};
    SettingsResult result;
    if (GetFileType(h) != FILE_TYPE_DISK)
        result = SettingsResult::Failed(SettingsFailure::NotAPlainFile, file);
    else if (!GetFileInformationByHandle(h, &info) || !GetFileSizeEx(h, &size))
        result = LastError(file);
    else if (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))
        result = SettingsResult::Failed(SettingsFailure::NotAPlainFile, file);
    else if (info.nNumberOfLinks != 1)
        result = SettingsResult::Failed(SettingsFailure::OtherNames, file);
    else if (size.QuadPart < 0 || static_cast<std::uint64_t>(size.QuadPart) > kMaxReadBytes)
        result = SettingsResult::Failed(SettingsFailure::TooLarge, file);
    if (!result) {
        Close();
        return result;
    }
    size_ = static_cast<std::uint64_t>(size.QuadPart);
    return result;
}

SettingsResult DataFile::ReadSome(char* data, std::size_t want, std::size_t& got)
{
    DWORD n = 0;
    const DWORD ask = want > MAXDWORD ? MAXDWORD : static_cast<DWORD>(want);
    if (!ReadFile(Handle(handle_), data, ask, &n, nullptr))
        return LastError(opened_);
    got = n;
    return SettingsResult::Ok();
}

SettingsResult DataFile::CreateForWriting(const std::filesystem::path& file)
{
    Close();
    const HANDLE h = OpenShared(file, GENERIC_WRITE, CREATE_NEW);
    if (h == INVALID_HANDLE_VALUE) {
        // Creating is asking the folder: a refusal is the folder's.
        SettingsResult result = LastError(file);
        if (result.failure == SettingsFailure::NotPermitted || result.failure == SettingsFailure::NoFolder)
            result.where = file.parent_path();
        return result;
    }
    handle_ = reinterpret_cast<std::intptr_t>(h);
    created_ = file;
    return SettingsResult::Ok();
}

SettingsResult DataFile::Write(std::string_view bytes)
{
    if (!IsOpen())
        return NotOpen(created_);
    while (!bytes.empty()) {
        const DWORD want = bytes.size() > MAXDWORD ? MAXDWORD : static_cast<DWORD>(bytes.size());
        DWORD n = 0;
        if (!WriteFile(Handle(handle_), bytes.data(), want, &n, nullptr))
            return LastError(created_);
        if (n == 0) // nothing taken and no reason given: the disk is full
            return SettingsResult::FromSystem(ERROR_DISK_FULL, created_);
        bytes.remove_prefix(n);
    }
    return SettingsResult::Ok();
}

SettingsResult DataFile::Flush()
{
    if (!IsOpen())
        return NotOpen(created_);
    return FlushFileBuffers(Handle(handle_)) ? SettingsResult::Ok() : LastError(created_);
}

SettingsResult DataFile::MoveOver(const std::filesystem::path& target, std::span<const std::filesystem::path> replaced,
                                  const MoveSteps& steps)
{
    const std::filesystem::path created = created_;
    const bool wasOpen = IsOpen();
    // A file open without delete sharing cannot be renamed, even by the one
    // who holds it; everything is already flushed to disk.
    Close();
    if (!wasOpen || created.empty())
        return NotOpen(target).At(SaveStep::Move);
    for (const auto& file : replaced) {
        const DWORD attributes = GetFileAttributesW(file.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            const DWORD error = GetLastError();
            if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
                continue;
            return SettingsResult::FromSystem(static_cast<int>(error), file).At(SaveStep::TakeOld);
        }
        if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))
            return SettingsResult::Failed(SettingsFailure::NotAPlainFile, file).At(SaveStep::TakeOld);
        if (attributes & FILE_ATTRIBUTE_READONLY)
            return SettingsResult::Failed(SettingsFailure::ReadOnlyFile, file).At(SaveStep::TakeOld);
    }
    // The move fails by itself while another program has the old file open,
    // since nobody opens it with delete sharing.
    if (!MoveFileExW(created.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        SettingsResult result = LastError(target);
        // A file another program holds open is refused as access denied too;
        // asking for the right to delete it tells the two apart.
        if (result.failure == SettingsFailure::NotPermitted) {
            const HANDLE probe =
                CreateFileW(target.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
            if (probe != INVALID_HANDLE_VALUE)
                CloseHandle(probe);
            else if (GetLastError() == ERROR_SHARING_VIOLATION)
                result.failure = SettingsFailure::InUse;
        }
        return result.At(SaveStep::Move);
    }
    MatchNameCase(target);
    if (steps.passed)
        steps.passed(MovePoint::Exchanged);
    return steps.syncFolder(target.parent_path()).At(SaveStep::FlushFolder);
}

// The move itself is written through to the disk.
SettingsResult DataFile::SyncFolder(const std::filesystem::path&)
{
    return SettingsResult::Ok();
}

void DataFile::CloseNative(std::intptr_t handle)
{
    CloseHandle(Handle(handle));
}

void DataFile::RemoveIfUnused(const std::filesystem::path& file)
{
    // Only a plain file can be a leftover of ours; a link under such a name
    // stays. The deletion fails by itself while the writer still has it open.
    const DWORD attributes = GetFileAttributesW(file.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES
        || (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
        return;
    DeleteFileW(file.c_str());
}
