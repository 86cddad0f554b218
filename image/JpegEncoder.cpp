#include "JpegEncoder.h"

#include <QIODevice>

#include <csetjmp>
#include <memory>
#include <cstdio>   // jpeglib.h needs FILE and size_t declared first
#include <jerror.h>
#include <jpeglib.h>

namespace {

// libjpeg's default error handler ends the process; this one jumps back to
// EncodeJpeg instead. Nothing between the setjmp and the jump owns resources
// with destructors, so skipping those frames is safe.
struct JumpingErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void JumpOnError(j_common_ptr codec)
{
    auto *errors = reinterpret_cast<JumpingErrorManager *>(codec->err);
    (*codec->err->format_message)(codec, errors->message);
    std::longjmp(errors->jump, 1);
}

void IgnoreMessage(j_common_ptr) {}   // warnings would otherwise go to stderr

// Hands the compressed bytes to a QIODevice in blocks of the buffer's size.
struct DeviceDestination {
    jpeg_destination_mgr pub;
    QIODevice *device;
    JOCTET buffer[1 << 16];
};

void InitDestination(j_compress_ptr codec)
{
    auto *dest = reinterpret_cast<DeviceDestination *>(codec->dest);
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = sizeof dest->buffer;
}

boolean FlushFullBuffer(j_compress_ptr codec)
{
    auto *dest = reinterpret_cast<DeviceDestination *>(codec->dest);
    if (dest->device->write(reinterpret_cast<const char *>(dest->buffer), sizeof dest->buffer)
        != qint64(sizeof dest->buffer))
        ERREXIT(codec, JERR_FILE_WRITE);
    InitDestination(codec);
    return TRUE;
}

void FlushRest(j_compress_ptr codec)
{
    auto *dest = reinterpret_cast<DeviceDestination *>(codec->dest);
    const qint64 rest = qint64(sizeof dest->buffer - dest->pub.free_in_buffer);
    if (dest->device->write(reinterpret_cast<const char *>(dest->buffer), rest) != rest)
        ERREXIT(codec, JERR_FILE_WRITE);
}

} // namespace

bool EncodeJpeg(QIODevice &out, const uint8_t *rgba, int width, int height, int quality, QString *error)
{
    // JPEG stores the top row first; the buffer holds it last.
    const std::ptrdiff_t stride = std::ptrdiff_t(width) * 4;
    const uint8_t *top = height > 0 ? rgba + (height - 1) * stride : rgba;
    return EncodeJpegRows(out, top, -stride, TJpegPixels::Rgbx, width, height, quality, error);
}

bool EncodeJpegRows(QIODevice &out, const uint8_t *top, std::ptrdiff_t stride, TJpegPixels pixels, int width,
                    int height, int quality, QString *error)
{
    jpeg_compress_struct codec{};
    JumpingErrorManager errors{};
    auto destination = std::make_unique<DeviceDestination>();   // 64 KiB: not on the stack
    codec.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = JumpOnError;
    errors.pub.output_message = IgnoreMessage;
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&codec);
        if (error)
            *error = QString::fromLocal8Bit(errors.message);
        return false;
    }

    jpeg_create_compress(&codec);
    destination->device = &out;
    destination->pub.init_destination = InitDestination;
    destination->pub.empty_output_buffer = FlushFullBuffer;
    destination->pub.term_destination = FlushRest;
    codec.dest = &destination->pub;

    codec.image_width = JDIMENSION(width);
    codec.image_height = JDIMENSION(height);
    codec.input_components = 4;
    // The colour conversion reads the same three bytes whatever their order,
    // so every layout gives the same file.
    codec.in_color_space = pixels == TJpegPixels::Rgbx ? JCS_EXT_RGBX
                           : pixels == TJpegPixels::Bgrx ? JCS_EXT_BGRX
                                                         : JCS_EXT_XRGB;
    jpeg_set_defaults(&codec);
    jpeg_set_quality(&codec, quality, TRUE);
    jpeg_start_compress(&codec, TRUE);

    JSAMPROW rows[16];
    while (codec.next_scanline < codec.image_height) {
        JDIMENSION count = 0;
        for (; count < 16 && codec.next_scanline + count < codec.image_height; ++count)
            rows[count] = const_cast<JSAMPROW>(top + std::ptrdiff_t(codec.next_scanline + count) * stride);
        jpeg_write_scanlines(&codec, rows, count);
    }
    jpeg_finish_compress(&codec);
    jpeg_destroy_compress(&codec);
    return true;
}
