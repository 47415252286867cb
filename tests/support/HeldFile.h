#pragma once

#include <QString>

// Another program holding a file open for writing, as the reminder or an
// editor would: while held, this program can neither read nor replace it.
class HeldFile
{
public:
    explicit HeldFile(const QString& path);
    ~HeldFile();
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

    bool Held() const;
    void Release();

private:
    long long handle_ = -1;
};
