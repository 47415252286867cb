#include "OtherProgram.h"

#include <windows.h>

#include <iterator>

// Sharing on Windows belongs to each handle, so a second handle of this
// process stands for the reminder program or any other.
namespace {

struct Access
{
    DWORD access;
    DWORD share;
};

// Indexed by Hold::how.
const Access kAccess[] = {
    {GENERIC_READ, FILE_SHARE_READ},
    {GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE},
    {GENERIC_READ, 0},
    {GENERIC_WRITE, FILE_SHARE_READ},
};

} // namespace

struct OtherProgram::Handle
{
    HANDLE h = INVALID_HANDLE_VALUE;
};

std::vector<OtherProgram::Hold> OtherProgram::Holds()
{
    // The store lets others read but not write, so only a handle that writes,
    // or that forbids reading, shuts it out.
    // A file open without delete sharing cannot be replaced there at all.
    return {{"ReaderLikeTheReminder", 0, true, false},
            {"ReaderLettingOthersWrite", 1, true, false},
            {"ExclusiveReader", 2, false, false},
            {"Writer", 3, false, false}};
}

OtherProgram::Hold OtherProgram::Writer()
{
    return {"Writer", 3, false, false};
}

OtherProgram::Hold OtherProgram::Reminder()
{
    return {"ReaderLikeTheReminder", 0, true, false};
}

OtherProgram::OtherProgram(const std::filesystem::path& file, const Hold& hold) : handle_(std::make_unique<Handle>())
{
    const Access& a = kAccess[hold.how];
    handle_->h = CreateFileW(file.c_str(), a.access, a.share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

OtherProgram::~OtherProgram()
{
    Release();
}

bool OtherProgram::Holding() const
{
    return handle_->h != INVALID_HANDLE_VALUE;
}

void OtherProgram::Release()
{
    if (handle_->h != INVALID_HANDLE_VALUE)
        CloseHandle(handle_->h);
    handle_->h = INVALID_HANDLE_VALUE;
}
