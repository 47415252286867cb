#include "SpecialFiles.h"

#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

bool MakeNamedPipe(const QString& path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0644) == 0;
}

HangGuard::HangGuard(int seconds)
{
    ::alarm(static_cast<unsigned>(seconds));
}

HangGuard::~HangGuard()
{
    ::alarm(0);
}
