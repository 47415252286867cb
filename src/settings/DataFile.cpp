#include "DataFile.h"

bool DataFile::Read(std::span<char> buffer, std::size_t& got)
{
    got = 0;
    if (!IsOpen() || readSoFar_ > kMaxReadBytes)
        return false;
    // One byte past the limit is enough to tell that the file grew beyond it.
    const std::uint64_t allowed = kMaxReadBytes - readSoFar_ + 1;
    const std::size_t want = allowed < buffer.size() ? static_cast<std::size_t>(allowed) : buffer.size();
    std::size_t n = 0;
    if (!ReadSome(buffer.data(), want, n))
        return false;
    readSoFar_ += n;
    if (readSoFar_ > kMaxReadBytes)
        return false;
    got = n;
    return true;
}
