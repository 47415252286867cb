#include "HeldFile.h"

#include <windows.h>

// Open for writing, letting others read but not write: the share mode that
// keeps this program from reading or replacing the file.
HeldFile::HeldFile(const QString& path)
{
    const HANDLE h = CreateFileW(reinterpret_cast<const wchar_t*>(path.utf16()), GENERIC_WRITE, FILE_SHARE_READ,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE)
        handle_ = reinterpret_cast<long long>(h);
}

HeldFile::~HeldFile()
{
    Release();
}

bool HeldFile::Held() const
{
    return handle_ != -1;
}

void HeldFile::Release()
{
    if (handle_ != -1)
        CloseHandle(reinterpret_cast<HANDLE>(handle_));
    handle_ = -1;
}
