// Save benchmark: GravaArqDados end to end (write, flush to the disk itself,
// put in place of the old file) on the disk that holds WORKDIR.
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

namespace fs = std::filesystem;

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

    SettingsRecord record{root};
    std::vector<double> ms;
    for (int run = 0; run <= runs; ++run) {
        // Each save differs from the last, as a user's edits would.
        const std::u16string minute = run % 2 ? u"30" : u"45";
        const std::array<std::u16string, 8> lines = {
            u"1", u"0", u"07:" + minute, u"10:00", u"12:15", u"15:00", u"17:30", u"20:" + minute};
        const std::int64_t start = bench::MonotonicNs();
        const bool ok = record.GravaArqDados(lines);
        const double elapsed = static_cast<double>(bench::MonotonicNs() - start) / 1e6;
        if (!ok) {
            std::fprintf(stderr, "bench_save: GravaArqDados failed\n");
            return 1;
        }
        if (run > 0)   // the first save creates the file; the user's saves replace it
            ms.push_back(elapsed);
    }

    std::ifstream in(root / "Dados" / "Dados.txt", std::ios::binary);
    const std::string saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (saved.size() != 48) {
        std::fprintf(stderr, "bench_save: the saved file has %zu bytes, not 48\n", saved.size());
        return 1;
    }

    std::printf("%d saves: median %.2f ms, 90th percentile %.2f ms, slowest %.2f ms\n", runs,
                bench::Median(ms), bench::Quantile(ms, 0.9), bench::Quantile(ms, 1.0));
    bench::Report("save.runs", runs);
    bench::Report("save.median_ms", bench::Median(ms));
    bench::Report("save.p90_ms", bench::Quantile(ms, 0.9));
    bench::Report("save.max_ms", bench::Quantile(ms, 1.0));
    fs::remove_all(root);
    return 0;
}
