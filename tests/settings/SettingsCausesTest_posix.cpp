#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <system_error>

#include "SettingsResult.h"

namespace {

// The system's refusals the store meets, each sorted into the cause an
// administrator acts on, with the system's own words kept in the line.
TEST(SettingsCauses, SystemErrorsBecomeCausesThatKeepTheSystemsReason)
{
    struct Case
    {
        int error;
        SettingsFailure failure;
        const char* advice; // part of the line beyond the system's words
    };
    const Case cases[] = {
        {ENOSPC, SettingsFailure::DiskFull, "the disk is full or this user's disk quota is used up"},
        {EDQUOT, SettingsFailure::DiskFull, "the disk is full or this user's disk quota is used up"},
        {EROFS, SettingsFailure::ReadOnlyFileSystem, "the disk that holds it is mounted read-only"},
        {ELOOP, SettingsFailure::NotAPlainFile, "is not a plain file"},
        {EIO, SettingsFailure::SystemError, ""},
    };
    const std::filesystem::path file = "/srv/q/Dados/Dados.txt";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        SettingsResult result = SettingsResult::FromSystem(c.error, file);
        result.file = file;
        EXPECT_FALSE(result);
        EXPECT_EQ(result.failure, c.failure);
        EXPECT_EQ(result.system.value(), c.error);
        const std::string line = DescribeFailure(result, SettingsOperation::Save);
        EXPECT_EQ(line.rfind("cannot save " + file.string() + ": ", 0), 0u) << line;
        EXPECT_NE(line.find(c.advice), std::string::npos) << line;
        if (c.failure != SettingsFailure::NotAPlainFile) {
            EXPECT_NE(line.find(std::error_code(c.error, std::system_category()).message()), std::string::npos) << line;
        }
    }
}

// A name with a line break in it still gives one line.
TEST(SettingsCauses, TheCauseIsOneLine)
{
    const SettingsResult result =
        SettingsResult::Failed(SettingsFailure::NotAPlainFile, "/srv/q/Dados/Dados.txt\nforged: line");
    EXPECT_EQ(DescribeFailure(result, SettingsOperation::Read).find('\n'), std::string::npos);
}

} // namespace
