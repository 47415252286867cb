#include "PictureFile.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::optional<QByteArray> ReadPictureFile(const QString& path, qint64 maxBytes)
{
    const QByteArray name = QFile::encodeName(path);
    int fd = -1;
    do
        fd = open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return std::nullopt;
    std::optional<QByteArray> result;
    struct stat st = {};
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= maxBytes) {
        // The file may grow after the check: one byte past the limit is enough to tell.
        QByteArray bytes(static_cast<qsizetype>(st.st_size) + 1, Qt::Uninitialized);
        qsizetype have = 0;
        bool ok = true;
        for (;;) {
            if (have == bytes.size()) {
                if (have > maxBytes) {
                    ok = false;
                    break;
                }
                bytes.resize(std::min<qsizetype>(maxBytes + 1, have * 2));
            }
            const ssize_t n = read(fd, bytes.data() + have, static_cast<size_t>(bytes.size() - have));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                ok = false;
                break;
            }
            if (n == 0)
                break;
            have += n;
        }
        if (ok && have <= maxBytes) {
            bytes.truncate(have);
            result = std::move(bytes);
        }
    }
    close(fd);
    return result;
}

// The JPEG decoder is libjpeg, driven directly so that it can be stopped:
// its progress monitor ends the decoding on the first scan past the limit,
// whatever the markers around the scans look like, and any warning (stray
// bytes, data cut short) ends it too. libjpeg reports through callbacks that
// must not return, so they leave by longjmp; the functions that call setjmp
// hold nothing that a jump could skip the destruction of.
namespace {

enum class Stop
{
    None,
    Error,
    Warning,
    TooManyScans,
};

struct JpegDecoder
{
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    jpeg_progress_mgr progress;
    std::jmp_buf escape;
    int maxScans;
    Stop stop;
    char message[JMSG_LENGTH_MAX];
};

// Far above what a picture of 1024 x 1024 pixels needs for its coefficients.
constexpr long kMaxDecoderMemory = 64L * 1024 * 1024;

JpegDecoder& DecoderOf(j_common_ptr info)
{
    return *static_cast<JpegDecoder*>(info->client_data);
}

[[noreturn]] void Leave(j_common_ptr info, Stop stop)
{
    JpegDecoder& d = DecoderOf(info);
    d.stop = stop;
    if (stop != Stop::TooManyScans)
        (*info->err->format_message)(info, d.message);
    std::longjmp(d.escape, 1);
}

void OnError(j_common_ptr info)
{
    Leave(info, Stop::Error);
}

void OnMessage(j_common_ptr info, int level)
{
    if (level < 0) // a warning: the data is not what its markers say
        Leave(info, Stop::Warning);
}

void OnProgress(j_common_ptr info)
{
    if (DecoderOf(info).info.input_scan_number > DecoderOf(info).maxScans)
        Leave(info, Stop::TooManyScans);
}

bool ReadHeader(JpegDecoder& d, const unsigned char* data, unsigned long size)
{
    if (setjmp(d.escape) != 0)
        return false;
    jpeg_create_decompress(&d.info);
    d.info.mem->max_memory_to_use = kMaxDecoderMemory;
    d.info.progress = &d.progress;
    jpeg_mem_src(&d.info, data, size);
    jpeg_read_header(&d.info, TRUE);
    return true;
}

// Decodes into `bits`, rows `bytesPerLine` apart; a CMYK picture goes
// through `cmykRow` (Adobe's inverted CMYK, as writers store it).
bool DecodeRows(JpegDecoder& d, uchar* bits, qsizetype bytesPerLine, uchar* cmykRow)
{
    if (setjmp(d.escape) != 0)
        return false;
    jpeg_start_decompress(&d.info);
    while (d.info.output_scanline < d.info.output_height) {
        uchar* line = bits + bytesPerLine * static_cast<qsizetype>(d.info.output_scanline);
        JSAMPROW row = cmykRow ? cmykRow : line;
        if (jpeg_read_scanlines(&d.info, &row, 1) != 1)
            return false;
        if (cmykRow) {
            auto* out = reinterpret_cast<QRgb*>(line);
            for (JDIMENSION x = 0; x < d.info.output_width; ++x) {
                const uchar* in = cmykRow + std::size_t{4} * x;
                const int k = in[3];
                out[x] = qRgb(k * in[0] / 255, k * in[1] / 255, k * in[2] / 255);
            }
        }
    }
    // The rest of the file up to its end is read too: a scan or a defect
    // after the picture is met like one inside it.
    jpeg_finish_decompress(&d.info);
    return true;
}

} // namespace

QImage DecodeJpeg(const QByteArray& bytes, int maxSide, int maxScans, QString& refusal)
{
    JpegDecoder d{};
    d.maxScans = maxScans;
    d.stop = Stop::None;
    d.info.err = jpeg_std_error(&d.errors);
    d.errors.error_exit = OnError;
    d.errors.emit_message = OnMessage;
    d.progress.progress_monitor = OnProgress;
    d.info.client_data = &d;

    QImage image;
    std::vector<uchar> cmykRow;
    bool ok = ReadHeader(d, reinterpret_cast<const unsigned char*>(bytes.constData()),
                         static_cast<unsigned long>(bytes.size()));
    if (ok
        && (d.info.image_width > static_cast<JDIMENSION>(maxSide)
            || d.info.image_height > static_cast<JDIMENSION>(maxSide))) {
        refusal = QStringLiteral("the picture is %1 x %2 pixels, more than %3 a side")
                      .arg(d.info.image_width)
                      .arg(d.info.image_height)
                      .arg(maxSide);
        ok = false;
        d.stop = Stop::None;
    } else if (ok) {
        const bool cmyk = d.info.jpeg_color_space == JCS_CMYK || d.info.jpeg_color_space == JCS_YCCK;
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
        d.info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRX;
#else
        d.info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_XRGB;
#endif
        image =
            QImage(static_cast<int>(d.info.image_width), static_cast<int>(d.info.image_height), QImage::Format_RGB32);
        if (cmyk)
            cmykRow.resize(std::size_t{4} * d.info.image_width);
        ok = !image.isNull() && DecodeRows(d, image.bits(), image.bytesPerLine(), cmyk ? cmykRow.data() : nullptr);
        if (image.isNull())
            refusal = QStringLiteral("no memory for the picture");
    }
    jpeg_destroy_decompress(&d.info);
    switch (d.stop) {
    case Stop::None: break;
    case Stop::TooManyScans: refusal = QStringLiteral("it holds more than %1 scans").arg(maxScans); break;
    case Stop::Warning: refusal = QStringLiteral("its data is damaged: ") + QString::fromLatin1(d.message); break;
    case Stop::Error: refusal = QStringLiteral("it cannot be decoded: ") + QString::fromLatin1(d.message); break;
    }
    if (!ok)
        return {};
    return image;
}
