// Picture benchmark: ImageBox::LoadFromFile on the pictures a hostile
// account could put in IMAGEM (a header of 5600x5600 pixels, a small
// progressive picture of 500 scans) against an ordinary check picture: how
// long each load takes and how much memory it adds at its peak.
//
//   bench_pictures WORKDIR [RUNS]

#include "BenchStats.h"
#include "ImageBox.h"
#include "MadeJpegs.h"

#include <QApplication>
#include <QFile>
#include <QImage>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

// The peak resident size so far, in KiB.
long PeakKiB()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = 0;
    while (status >> key) {
        if (key == "VmHWM:" && status >> value)
            return value;
        status.ignore(1 << 12, '\n');
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s WORKDIR [RUNS]\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    const QString dir = QString::fromLocal8Bit(argv[1]);
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;

    struct Picture
    {
        const char* key;
        QByteArray bytes;
    };
    const Picture pictures[] = {
        {"ordinary", MadeJpeg(QSize(130, 130), false)},
        {"huge", MadeJpeg(QSize(5600, 5600), true)},
        {"scan_bomb", MadeScanBomb(500, 256)},
    };
    QWidget parent;
    for (const Picture& p : pictures) {
        const QString path = dir + "/bench-" + p.key + ".jpg";
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(p.bytes) != p.bytes.size()) {
            std::fprintf(stderr, "bench_pictures: cannot write %s\n", qPrintable(path));
            return 1;
        }
        file.close();
        std::vector<double> ms;
        bool loaded = false;
        std::ofstream("/proc/self/clear_refs") << "5"; // the peak restarts from here
        const long before = PeakKiB();
        for (int i = 0; i < runs; ++i) {
            ImageBox box(&parent);
            const std::int64_t start = bench::MonotonicNs();
            loaded = box.LoadFromFile(path);
            ms.push_back(static_cast<double>(bench::MonotonicNs() - start) / 1e6);
        }
        QFile::remove(path);
        std::printf("%-10s %8lld bytes  %s  median %.2f ms  peak memory added %.2f MiB\n", p.key,
                    static_cast<long long>(p.bytes.size()), loaded ? "loaded " : "refused", bench::Median(ms),
                    static_cast<double>(PeakKiB() - before) / 1024.0);
        std::printf("@ pictures.%s_ms %.3f\n", p.key, bench::Median(ms));
        std::printf("@ pictures.%s_rss_mib %.3f\n", p.key, static_cast<double>(PeakKiB() - before) / 1024.0);
    }
    return 0;
}
