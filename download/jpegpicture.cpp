#include "download/jpegpicture.h"

#include <QFile>

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace {

struct ErrorManager
{
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

struct Decoder
{
    jpeg_decompress_struct info;
    ErrorManager error;
};

[[noreturn]] void onError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorManager *>(info->err)->jump, 1);
}

// Warnings (a truncated file, say) are not worth a line on the console.
void onMessage(j_common_ptr) {}

// libjpeg reports errors by a long jump back here. This function keeps no local of its own
// that the jump could leave half-changed: the decoder state and the image live in the caller.
bool runDecoder(Decoder &d, const QByteArray &bytes, QImage &image)
{
    if (setjmp(d.error.jump)) return false;
    jpeg_create_decompress(&d.info);
    jpeg_mem_src(&d.info, reinterpret_cast<const unsigned char *>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    if (jpeg_read_header(&d.info, TRUE) != JPEG_HEADER_OK) return false;
    if (d.info.image_width == 0 || d.info.image_height == 0 ||
        d.info.image_width > unsigned(maxJpegSide) || d.info.image_height > unsigned(maxJpegSide))
        return false;
    d.info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&d.info);
    if (d.info.output_components != 3) return false;
    image = QImage(int(d.info.output_width), int(d.info.output_height), QImage::Format_RGB888);
    if (image.isNull()) return false;
    while (d.info.output_scanline < d.info.output_height) {
        JSAMPROW row = image.scanLine(int(d.info.output_scanline));
        if (jpeg_read_scanlines(&d.info, &row, 1) != 1) return false;
    }
    jpeg_finish_decompress(&d.info);
    return true;
}

} // namespace

QImage decodeJpeg(const QByteArray &bytes)
{
    if (bytes.isEmpty()) return QImage();
    QImage image;
    Decoder d{};
    d.info.err = jpeg_std_error(&d.error.pub);
    d.error.pub.error_exit = onError;
    d.error.pub.output_message = onMessage;
    const bool ok = runDecoder(d, bytes, image);
    jpeg_destroy_decompress(&d.info);
    return ok ? image : QImage();
}

QImage loadJpeg(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QImage();
    // A picture file far beyond anything the window shows is not read into memory.
    constexpr qint64 MaxFileSize = 64 * 1024 * 1024;
    if (file.size() > MaxFileSize) return QImage();
    return decodeJpeg(file.readAll());
}
