#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "QuickRecord.h"
#include "SettingsRecord.h"
#include "TempDataDir.h"

namespace {

using Lines = std::array<std::u16string, 8>;
using namespace std::chrono_literals;

const Lines kNew = {u"1", u"0", u"07:30", u"12:00", u"15:45", u"00:00", u"00:00", u"00:00"};
const std::string kNewBytes = "1\r\n0\r\n07:30\r\n12:00\r\n15:45\r\n00:00\r\n00:00\r\n00:00\r\n";
const std::string kOld = "0\r\nold\r\n01:00\r\n02:00\r\n03:00\r\n04:00\r\n05:00\r\n06:00\r\n";

struct ReadResult
{
    DWORD error = ERROR_SUCCESS;
    std::string bytes;
};

// Reads the file the way the reminder program does: others may read, not write.
ReadResult ReadAsTheReminder(const std::filesystem::path& file)
{
    ReadResult result;
    const HANDLE h = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        result.error = GetLastError();
        return result;
    }
    char buffer[64 * 1024];
    DWORD got = 0;
    while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0)
        result.bytes.append(buffer, got);
    CloseHandle(h);
    return result;
}

// While saves go on, the reminder finds the old file or the new one, whole,
// and never no file at all. A busy file may turn a read away; then it tries
// again, as it would later.
TEST(SettingsSharingWin, ReaderNeverFindsTheFileMissingOrPartial)
{
    TempDataDir dir;
    const auto [a, b, bytesA, bytesB] = MakeTwoSaves(kNew);
    dir.Write("Dados.txt", bytesA);
    const auto file = dir.Dados() / "Dados.txt";

    std::atomic<bool> done{false};
    int saved = 0;
    std::thread saver([&] {
        QuickRecord record(dir.Root());
        // Each save waits for the disk, so the run is bounded in time too.
        const auto budget = std::chrono::steady_clock::now() + 2s;
        for (int i = 0; i < 300 && std::chrono::steady_clock::now() < budget; ++i)
            saved += record.GravaArqDados(i % 2 ? a : b) ? 1 : 0;
        done = true;
    });

    int reads = 0;
    std::set<DWORD> turnedAway;
    std::string wrong; // stops the reading; asserted once the saver is done
    while (!done && wrong.empty()) {
        const ReadResult r = ReadAsTheReminder(file);
        if (r.error != ERROR_SUCCESS) {
            turnedAway.insert(r.error);
            continue;
        }
        ++reads;
        if (r.bytes != bytesA && r.bytes != bytesB)
            wrong = std::to_string(r.bytes.size()) + " bytes";
    }
    saver.join();

    EXPECT_EQ(wrong, "") << "read " << reads;
    for (const DWORD error : turnedAway)
        EXPECT_TRUE(error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED) << "error " << error;
    EXPECT_GT(saved, 0);
    EXPECT_GT(reads, 0);
    EXPECT_EQ(dir.Names(), std::set<std::string>{"Dados.txt"});
}

} // namespace
