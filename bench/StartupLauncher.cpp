// Start-up benchmark: starts the tool and the empty-window baseline in turn,
// several times each, and times each from just before exec until its probe
// reports the window shown and active; the resident memory comes from the
// probe at that same moment.
//
//   bench_startup RUNS TOOL BASELINE [STDERR-LOG]

#include "BenchStats.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kTimeoutMs = 30'000;

struct Sample
{
    double ms;
    double rssMiB;
};

// One start of `program`; nothing when it did not report in time.
std::optional<Sample> RunOnce(const char* program, const char* stderrLog)
{
    // The child writes its exec timestamp here; a pipe would cost the child
    // a write after taking it.
    auto* startNs = static_cast<std::int64_t*>(
        mmap(nullptr, sizeof(std::int64_t), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
    if (startNs == MAP_FAILED)
        return std::nullopt;
    *startNs = 0;

    int out[2];
    if (pipe(out) != 0) {
        munmap(startNs, sizeof *startNs);
        return std::nullopt;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        const int err = open(stderrLog ? stderrLog : "/dev/null", O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (err >= 0)
            dup2(err, STDERR_FILENO);
        close(out[0]);
        close(out[1]);
        char* const argv[] = {const_cast<char*>(program), nullptr};
        *startNs = bench::MonotonicNs();
        execv(program, argv);
        _exit(127);
    }
    close(out[1]);

    std::string text;
    char buffer[256];
    const std::int64_t deadline = bench::MonotonicNs() + std::int64_t{kTimeoutMs} * 1'000'000;
    for (;;) {
        const auto left = static_cast<int>((deadline - bench::MonotonicNs()) / 1'000'000);
        pollfd p{out[0], POLLIN, 0};
        if (left <= 0 || poll(&p, 1, left) <= 0)
            break;
        const ssize_t got = read(out[0], buffer, sizeof buffer);
        if (got <= 0)
            break;
        text.append(buffer, static_cast<std::size_t>(got));
        if (text.find('\n') != std::string::npos)
            break;
    }
    close(out[0]);
    kill(pid, SIGKILL); // harmless once the probe has ended the process
    waitpid(pid, nullptr, 0);

    const std::int64_t start = *startNs;
    munmap(startNs, sizeof *startNs);
    long long readyNs = 0;
    long rssKiB = 0;
    if (start == 0 || std::sscanf(text.c_str(), "ready %lld %ld", &readyNs, &rssKiB) != 2)
        return std::nullopt;
    return Sample{static_cast<double>(readyNs - start) / 1e6, static_cast<double>(rssKiB) / 1024.0};
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s RUNS TOOL BASELINE [STDERR-LOG]\n", argv[0]);
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    const char* programs[2] = {argv[2], argv[3]};
    const char* names[2] = {"tool", "baseline"};
    const char* log = argc > 4 ? argv[4] : nullptr;

    // One unmeasured start each, so both find the libraries in the page cache.
    for (const char* program : programs) {
        if (!RunOnce(program, log)) {
            std::fprintf(stderr, "bench_startup: %s did not report a shown, active window\n", program);
            return 1;
        }
    }

    std::vector<double> ms[2], rss[2];
    for (int run = 0; run < runs; ++run) {
        // Alternate which one goes first, so neither always follows the other.
        for (int k = 0; k < 2; ++k) {
            const int which = (run % 2 == 0) ? k : 1 - k;
            const auto sample = RunOnce(programs[which], log);
            if (!sample) {
                std::fprintf(stderr, "bench_startup: run %d of %s failed\n", run + 1, programs[which]);
                return 1;
            }
            ms[which].push_back(sample->ms);
            rss[which].push_back(sample->rssMiB);
            std::printf("run %2d %-8s %8.1f ms %8.1f MiB\n", run + 1, names[which], sample->ms, sample->rssMiB);
        }
    }

    const double toolMs = bench::Median(ms[0]), baseMs = bench::Median(ms[1]);
    const double toolRss = bench::Median(rss[0]), baseRss = bench::Median(rss[1]);
    std::printf("median   tool %.1f ms %.1f MiB   baseline %.1f ms %.1f MiB\n", toolMs, toolRss, baseMs, baseRss);
    bench::Report("startup.runs", runs);
    bench::Report("startup.tool_ms", toolMs);
    bench::Report("startup.baseline_ms", baseMs);
    bench::Report("startup.time_ratio", toolMs / baseMs);
    bench::Report("startup.tool_rss_mib", toolRss);
    bench::Report("startup.baseline_rss_mib", baseRss);
    bench::Report("startup.rss_ratio", toolRss / baseRss);
    return 0;
}
