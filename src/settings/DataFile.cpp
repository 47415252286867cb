#include "DataFile.h"

SettingsResult DataFile::Read(std::span<char> buffer, std::size_t& got)
{
    got = 0;
    if (!IsOpen())
        return SettingsResult::Failed(SettingsFailure::SystemError, opened_,
                                      std::make_error_code(std::errc::bad_file_descriptor));
    if (readSoFar_ > kMaxReadBytes)
        return SettingsResult::Failed(SettingsFailure::TooLarge, opened_);
    // One byte past the limit is enough to tell that the file grew beyond it.
    const std::uint64_t allowed = kMaxReadBytes - readSoFar_ + 1;
    const std::size_t want = allowed < buffer.size() ? static_cast<std::size_t>(allowed) : buffer.size();
    std::size_t n = 0;
    if (SettingsResult r = ReadSome(buffer.data(), want, n); !r)
        return r;
    readSoFar_ += n;
    if (readSoFar_ > kMaxReadBytes)
        return SettingsResult::Failed(SettingsFailure::TooLarge, opened_);
    got = n;
    return SettingsResult::Ok();
}

void DataFile::Close()
{
    if (IsOpen())
        CloseNative(handle_);
    handle_ = kClosed;
    opened_.clear();
    created_.clear();
    size_ = 0;
    readSoFar_ = 0;
}
