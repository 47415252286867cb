// Settings read benchmark: LeArqDados on the largest file it accepts (16 MiB:
// a long line 2 and a long tail after the eighth line) against `cat` of the
// same file to /dev/null, both from the page cache, alternating, medians.
// Then files over the limit: one byte over it and a sparse 3 GiB file are
// both refused, in the same short time and without memory.
// The timed reads re-read into one record, as each activation of the window
// does; the first read into a fresh record, which also pays for the memory of
// line 2's text, is timed and reported apart.
// Memory: the peak resident size that one read adds, measured in a fresh
// process for the whole file and for the same file without its tail, against
// line 2's size as the record holds it (UTF-16, two bytes per byte of the
// file); lines after the eighth must add nothing.
//
//   bench_settings_read WORKDIR [RUNS]

#include "BenchStats.h"
#include "DataFile.h"
#include "SettingsRecord.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMiB = 1024 * 1024;
constexpr std::size_t kFileBytes = static_cast<std::size_t>(DataFile::kMaxReadBytes);
constexpr std::size_t kLine2Bytes = 4 * kMiB;
constexpr std::uint64_t kSparseBytes = std::uint64_t{3} << 30;
constexpr std::size_t kTailLineBytes = 64; // CR LF included

// Writes dataRoot/Dados/Dados.TXT through a small buffer, so that making the
// file costs this process no memory. With `tail` the file is kFileBytes long.
fs::path WriteSettings(const fs::path& dataRoot, bool tail)
{
    fs::create_directories(dataRoot / "Dados");
    const fs::path file = dataRoot / "Dados" / "Dados.TXT";
    std::FILE* f = std::fopen(file.c_str(), "wb");
    if (!f) {
        std::perror(file.c_str());
        std::exit(1);
    }
    std::string chunk(kMiB, '7');
    std::size_t written = 0;
    auto put = [&](const char* data, std::size_t n) {
        std::fwrite(data, 1, n, f);
        written += n;
    };
    put("1\r\n", 3);
    for (std::size_t left = kLine2Bytes; left > 0;) {
        const std::size_t n = std::min(left, chunk.size());
        put(chunk.data(), n);
        left -= n;
    }
    put("\r\n", 2);
    for (int slot = 0; slot < 6; ++slot)
        put("07:30\r\n", 7);
    if (tail) {
        std::string line(kTailLineBytes - 2, 'x');
        line += "\r\n";
        std::string lines;
        while (lines.size() + line.size() <= kMiB)
            lines += line;
        while (written + lines.size() <= kFileBytes)
            put(lines.data(), lines.size());
        while (written + line.size() <= kFileBytes)
            put(line.data(), line.size());
        put(line.data(), kFileBytes - written); // a last line without its break
    }
    std::fclose(f);
    return file;
}

double PeakKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss);
}

// Child mode: one read in a process of its own, so the peak is the read's.
// `refused`: the read must fail (a file over the limit).
int MeasureMemory(const char* dataRoot, bool refused)
{
    SettingsRecord record{fs::path(dataRoot)};
    const double before = PeakKiB();
    const bool ok = static_cast<bool>(record.LeArqDados());
    const double after = PeakKiB();
    if (refused ? ok : (!ok || record.CnfWin.size() != kLine2Bytes || record.HS6 != u"07:30"))
        return 1;
    std::printf("%.0f\n", after - before);
    return 0;
}

// A file of `bytes` that is all hole: it takes no disk and no page cache.
void WriteSparse(const fs::path& dataRoot, std::uint64_t bytes)
{
    fs::create_directories(dataRoot / "Dados");
    const fs::path file = dataRoot / "Dados" / "Dados.txt";
    const int fd = open(file.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
    if (fd < 0 || ftruncate(fd, static_cast<off_t>(bytes)) != 0) {
        std::perror(file.c_str());
        std::exit(1);
    }
    close(fd);
}

double TimeRefusalMs(const fs::path& dataRoot)
{
    SettingsRecord record{dataRoot};
    const std::int64_t start = bench::MonotonicNs();
    const bool ok = static_cast<bool>(record.LeArqDados());
    const double ms = static_cast<double>(bench::MonotonicNs() - start) / 1e6;
    if (ok) {
        std::fprintf(stderr, "bench_settings_read: a file over the limit was read\n");
        std::exit(1);
    }
    return ms;
}

// Peak resident growth of one read, in MiB, from a fresh process.
double ReadGrowthMiB(const fs::path& dataRoot, bool refused = false)
{
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    const std::string command =
        "'" + self + "' " + (refused ? "--measure-refusal" : "--measure-memory") + " '" + dataRoot.string() + "'";
    std::FILE* p = popen(command.c_str(), "r");
    double kib = -1;
    if (!p || std::fscanf(p, "%lf", &kib) != 1 || pclose(p) != 0) {
        std::fprintf(stderr, "bench_settings_read: the memory measurement failed for %s\n", dataRoot.c_str());
        std::exit(1);
    }
    return kib / 1024.0;
}

double TimeReadMs(SettingsRecord& record)
{
    const std::int64_t start = bench::MonotonicNs();
    const SettingsResult read = record.LeArqDados();
    const double ms = static_cast<double>(bench::MonotonicNs() - start) / 1e6;
    if (!read) {
        std::fprintf(stderr, "bench_settings_read: %s\n", DescribeFailure(read, SettingsOperation::Read).c_str());
        std::exit(1);
    }
    if (record.CnfWin.size() != kLine2Bytes) {
        std::fprintf(stderr, "bench_settings_read: LeArqDados did not read the whole of line 2\n");
        std::exit(1);
    }
    return ms;
}

// cat is started with posix_spawn, as a shell would: a fork would mark every
// page of this process copy-on-write, and the reader's next writes to its
// text would each take a fault that no window ever pays.
double TimeCatMs(const fs::path& file)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    char* const argv[] = {const_cast<char*>("cat"), const_cast<char*>(file.c_str()), nullptr};
    const std::int64_t start = bench::MonotonicNs();
    pid_t pid = 0;
    int status = 0;
    const int spawned = posix_spawnp(&pid, "cat", &actions, nullptr, argv, environ);
    if (spawned == 0)
        waitpid(pid, &status, 0);
    const double ms = static_cast<double>(bench::MonotonicNs() - start) / 1e6;
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "bench_settings_read: cat failed\n");
        std::exit(1);
    }
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--measure-memory") == 0)
        return MeasureMemory(argv[2], false);
    if (argc == 3 && std::strcmp(argv[1], "--measure-refusal") == 0)
        return MeasureMemory(argv[2], true);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s WORKDIR [RUNS]\n", argv[0]);
        return 2;
    }
    const fs::path work = argv[1];
    const int runs = argc > 2 ? std::atoi(argv[2]) : 7;
    const fs::path fullRoot = work / "read-full";
    const fs::path headRoot = work / "read-head";
    const fs::path file = WriteSettings(fullRoot, true);
    WriteSettings(headRoot, false);

    SettingsRecord record{fullRoot};
    // First passes bring the file into the page cache for both; only the
    // first read is reported, apart from the medians.
    TimeCatMs(file);
    const double firstReadMs = TimeReadMs(record);

    // The same head without the tail tells how the time divides between
    // line 2 and the lines that are read only to be dropped.
    SettingsRecord headRecord{headRoot};
    TimeReadMs(headRecord);

    std::vector<double> readMs, catMs, headMs;
    for (int run = 0; run < runs; ++run) {
        if (run % 2 == 0) {
            readMs.push_back(TimeReadMs(record));
            catMs.push_back(TimeCatMs(file));
        } else {
            catMs.push_back(TimeCatMs(file));
            readMs.push_back(TimeReadMs(record));
        }
        headMs.push_back(TimeReadMs(headRecord));
        std::printf("run %2d LeArqDados %8.1f ms   cat %8.1f ms   (LeArqDados without the tail %6.1f ms)\n", run + 1,
                    readMs.back(), catMs.back(), headMs.back());
    }

    const double growFull = ReadGrowthMiB(fullRoot);
    const double growHead = ReadGrowthMiB(headRoot);
    const double line2 = static_cast<double>(kLine2Bytes) / kMiB;
    const double line2Utf16 = 2 * line2;
    std::printf("first read into a fresh record %.1f ms\n", firstReadMs);
    std::printf("peak RSS growth of one read: %.1f MiB (16 MiB file), %.1f MiB (same head, no tail); "
                "line 2 is %.1f MiB, %.1f MiB as UTF-16\n",
                growFull, growHead, line2, line2Utf16);

    // Over the limit: one byte over it and 3 GiB take the same refusal.
    const fs::path overRoot = work / "read-over";
    const fs::path sparseRoot = work / "read-sparse";
    WriteSparse(overRoot, DataFile::kMaxReadBytes + 1);
    WriteSparse(sparseRoot, kSparseBytes);
    std::vector<double> overMs, sparseMs;
    for (int run = 0; run < runs; ++run) {
        overMs.push_back(TimeRefusalMs(overRoot));
        sparseMs.push_back(TimeRefusalMs(sparseRoot));
    }
    const double growOver = ReadGrowthMiB(overRoot, true);
    const double growSparse = ReadGrowthMiB(sparseRoot, true);
    std::printf("refused: 16 MiB + 1 byte in %.3f ms (peak RSS growth %.2f MiB), sparse 3 GiB in %.3f ms "
                "(peak RSS growth %.2f MiB)\n",
                bench::Median(overMs), growOver, bench::Median(sparseMs), growSparse);

    const double readMedian = bench::Median(readMs), catMedian = bench::Median(catMs);
    bench::Report("read.runs", runs);
    bench::Report("read.file_mib", static_cast<double>(kFileBytes) / kMiB);
    bench::Report("read.read_ms", readMedian);
    bench::Report("read.cat_ms", catMedian);
    bench::Report("read.time_ratio", readMedian / catMedian);
    bench::Report("read.no_tail_read_ms", bench::Median(headMs));
    bench::Report("read.first_read_ms", firstReadMs);
    bench::Report("read.line2_mib", line2);
    bench::Report("read.line2_utf16_mib", line2Utf16);
    bench::Report("read.rss_growth_mib", growFull);
    bench::Report("read.rss_growth_no_tail_mib", growHead);
    bench::Report("read.rss_growth_per_line2_utf16", growFull / line2Utf16);
    bench::Report("read.refuse_over_ms", bench::Median(overMs));
    bench::Report("read.refuse_sparse_ms", bench::Median(sparseMs));
    bench::Report("read.refuse_over_rss_mib", growOver);
    bench::Report("read.refuse_sparse_rss_mib", growSparse);
    fs::remove_all(fullRoot);
    fs::remove_all(headRoot);
    fs::remove_all(overRoot);
    fs::remove_all(sparseRoot);
    return 0;
}
