// Save benchmark: GravaArqDados end to end (write, flush to the disk itself,
// put in place of the old file) on the disk that holds WORKDIR, alternating
// with the least a durable replace costs there: write, fsync, rename, fsync
// of the folder.
//
//   bench_save WORKDIR [RUNS]

#include "BenchStats.h"
#include "SettingsRecord.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The same 48 bytes through bare system calls: what the disk itself costs for
// a replace that survives a crash.
double BareSaveMs(const fs::path& dir)
{
    static const char kBytes[] = "1\r\n0\r\n07:30\r\n10:00\r\n12:15\r\n15:00\r\n17:30\r\n20:00\r\n";
    const fs::path temp = dir / "bare.tmp";
    const fs::path target = dir / "bare.txt";
    const std::int64_t start = bench::MonotonicNs();
    const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const bool ok =
        fd >= 0 && write(fd, kBytes, sizeof kBytes - 1) == static_cast<ssize_t>(sizeof kBytes - 1) && fsync(fd) == 0;
    if (fd >= 0)
        close(fd);
    if (!ok || rename(temp.c_str(), target.c_str()) != 0) {
        std::fprintf(stderr, "bench_save: the bare save failed\n");
        std::exit(1);
    }
    const int folder = open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (folder < 0 || fsync(folder) != 0) {
        std::fprintf(stderr, "bench_save: the folder could not be flushed\n");
        std::exit(1);
    }
    close(folder);
    return static_cast<double>(bench::MonotonicNs() - start) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s WORKDIR [RUNS]\n", argv[0]);
        return 2;
    }
    const fs::path root = fs::path(argv[1]) / "save-root";
    const int runs = argc > 2 ? std::atoi(argv[2]) : 50;
    fs::remove_all(root);
    fs::create_directories(root / "Dados");
    fs::create_directories(root / "bare");

    SettingsRecord record{root};
    std::vector<double> ms, bare;
    for (int run = 0; run <= runs; ++run) {
        // Each save differs from the last, as a user's edits would.
        const std::u16string minute = run % 2 ? u"30" : u"45";
        const std::array<std::u16string, 8> lines = {u"1",     u"0",     u"07:" + minute, u"10:00",
                                                     u"12:15", u"15:00", u"17:30",        u"20:" + minute};
        const std::int64_t start = bench::MonotonicNs();
        const SettingsResult saved = record.GravaArqDados(lines);
        const double elapsed = static_cast<double>(bench::MonotonicNs() - start) / 1e6;
        if (!saved) {
            std::fprintf(stderr, "bench_save: %s\n", DescribeFailure(saved, SettingsOperation::Save).c_str());
            return 1;
        }
        const double bareMs = BareSaveMs(root / "bare");
        if (run > 0) { // the first save creates the file; the user's saves replace it
            ms.push_back(elapsed);
            bare.push_back(bareMs);
        }
    }

    std::ifstream in(root / "Dados" / "Dados.txt", std::ios::binary);
    const std::string saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (saved.size() != 48) {
        std::fprintf(stderr, "bench_save: the saved file has %zu bytes, not 48\n", saved.size());
        return 1;
    }

    std::printf("%d saves: median %.2f ms, 90th percentile %.2f ms, slowest %.2f ms\n", runs, bench::Median(ms),
                bench::Quantile(ms, 0.9), bench::Quantile(ms, 1.0));
    std::printf("bare write, fsync, rename, folder fsync: median %.2f ms, 90th percentile %.2f ms\n",
                bench::Median(bare), bench::Quantile(bare, 0.9));
    bench::Report("save.runs", runs);
    bench::Report("save.median_ms", bench::Median(ms));
    bench::Report("save.p90_ms", bench::Quantile(ms, 0.9));
    bench::Report("save.max_ms", bench::Quantile(ms, 1.0));
    bench::Report("save.bare_median_ms", bench::Median(bare));
    fs::remove_all(root);
    return 0;
}
