#include "image/jpeg_codec.h"

#include <string>

#include "platform/error.h"

#ifdef QI_HAVE_JPEG
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>
#endif

namespace qi {

#ifndef QI_HAVE_JPEG

bool JpegSupported() { return false; }

void DecodeJpeg(const uint8_t*, size_t, TDIBSurface&, int, int) {
    throw Error("JPEG storage is not supported in this build");
}

std::vector<uint8_t> EncodeJpeg(const TDIBSurface&, int) {
    throw Error("JPEG storage is not supported in this build");
}

#else

namespace {

// libjpeg reports fatal errors through error_exit, which must not return:
// it jumps back to the step that was running. Only plain data lives in the
// functions that set the jump, so nothing is skipped that needs cleaning up.
struct JpegError {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

extern "C" void JpegErrorExit(j_common_ptr info) {
    JpegError* err = reinterpret_cast<JpegError*>(info->err);
    (*info->err->format_message)(info, err->message);
    std::longjmp(err->jump, 1);
}

extern "C" void JpegSilent(j_common_ptr) {}

struct Decoder {
    jpeg_decompress_struct info;
    JpegError err;
};

bool DecodeHeader(Decoder* d, const uint8_t* data, size_t size) {
    d->info.err = jpeg_std_error(&d->err.pub);
    d->err.pub.error_exit = JpegErrorExit;
    d->err.pub.output_message = JpegSilent;
    d->err.message[0] = '\0';
    if (setjmp(d->err.jump)) return false;
    jpeg_create_decompress(&d->info);
    jpeg_mem_src(&d->info, const_cast<unsigned char*>(data), static_cast<unsigned long>(size));
    jpeg_read_header(&d->info, TRUE);
    d->info.out_color_space = JCS_RGB;
    jpeg_calc_output_dimensions(&d->info);
    return true;
}

// Rows go top first to top, top + step, ...; row holds one RGB scan line.
bool DecodePixels(Decoder* d, uint8_t* top, ptrdiff_t step, uint8_t* row) {
    if (setjmp(d->err.jump)) return false;
    jpeg_start_decompress(&d->info);
    if (d->info.output_components != 3) {
        std::snprintf(d->err.message, sizeof d->err.message, "unexpected component count %d",
                      d->info.output_components);
        return false;
    }
    JSAMPROW rows[1] = {row};
    while (d->info.output_scanline < d->info.output_height) {
        uint8_t* out = top + step * static_cast<ptrdiff_t>(d->info.output_scanline);
        jpeg_read_scanlines(&d->info, rows, 1);
        for (JDIMENSION x = 0; x < d->info.output_width; ++x) {
            out[3 * x] = row[3 * x + 2];
            out[3 * x + 1] = row[3 * x + 1];
            out[3 * x + 2] = row[3 * x];
        }
    }
    jpeg_finish_decompress(&d->info);
    return true;
}

struct Encoder {
    jpeg_compress_struct info;
    JpegError err;
    unsigned char* buffer;
    unsigned long size;
};

bool EncodePixels(Encoder* e, const TDIBSurface* source, int quality, uint8_t* row) {
    e->info.err = jpeg_std_error(&e->err.pub);
    e->err.pub.error_exit = JpegErrorExit;
    e->err.pub.output_message = JpegSilent;
    e->buffer = nullptr;
    e->size = 0;
    if (setjmp(e->err.jump)) return false;
    jpeg_create_compress(&e->info);
    jpeg_mem_dest(&e->info, &e->buffer, &e->size);
    e->info.image_width = static_cast<JDIMENSION>(source->Width());
    e->info.image_height = static_cast<JDIMENSION>(source->Height());
    e->info.input_components = 3;
    e->info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&e->info);
    jpeg_set_quality(&e->info, quality, TRUE);
    jpeg_start_compress(&e->info, TRUE);
    JSAMPROW rows[1] = {row};
    while (e->info.next_scanline < e->info.image_height) {
        const uint8_t* in = source->ScanLine(static_cast<int>(e->info.next_scanline));
        for (int x = 0; x < source->Width(); ++x) {
            row[3 * x] = in[3 * x + 2];
            row[3 * x + 1] = in[3 * x + 1];
            row[3 * x + 2] = in[3 * x];
        }
        jpeg_write_scanlines(&e->info, rows, 1);
    }
    jpeg_finish_compress(&e->info);
    return true;
}

}  // namespace

bool JpegSupported() { return true; }

void DecodeJpeg(const uint8_t* data, size_t size, TDIBSurface& target, int expectedWidth, int expectedHeight) {
    Decoder d{};
    bool ok = DecodeHeader(&d, data, size);
    std::string failure = ok ? std::string() : std::string("JPEG: ") + d.err.message;
    if (ok && (static_cast<int64_t>(d.info.output_width) != expectedWidth ||
               static_cast<int64_t>(d.info.output_height) != expectedHeight)) {
        failure = "JPEG の大きさ (" + std::to_string(d.info.output_width) + " x " +
                  std::to_string(d.info.output_height) + ") がフレームと違います";
        ok = false;
    }
    if (ok) {
        target.SetSize(expectedWidth, expectedHeight, 24);
        std::vector<uint8_t> row(static_cast<size_t>(expectedWidth) * 3 + 16);
        if (expectedHeight > 0 && expectedWidth > 0 &&
            !DecodePixels(&d, target.ScanLine(0), target.NextLine(), row.data())) {
            failure = std::string("JPEG: ") + d.err.message;
            ok = false;
        }
    }
    jpeg_destroy_decompress(&d.info);
    if (!ok) throw Error("ファイルが壊れています (" + failure + ")");
}

std::vector<uint8_t> EncodeJpeg(const TDIBSurface& source, int quality) {
    if (source.BitCount() != 24) throw Error("JPEG には 24 ビットの面しか書けません");
    Encoder e{};
    std::vector<uint8_t> row(static_cast<size_t>(source.Width()) * 3 + 16);
    bool ok = EncodePixels(&e, &source, quality, row.data());
    std::vector<uint8_t> out;
    if (ok) out.assign(e.buffer, e.buffer + e.size);
    std::string message = e.err.message;
    jpeg_destroy_compress(&e.info);
    std::free(e.buffer);
    if (!ok) throw Error("JPEG: " + message);
    return out;
}

#endif

}  // namespace qi
