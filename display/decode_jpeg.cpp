// JPEG through libjpeg. Like libpng it reports errors by longjmp, so the frame that calls
// setjmp owns no C++ object of its own.
#include "display/decoders.h"
#include "display/picture_file.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
// jpeglib.h needs FILE and size_t declared first.
#include <jerror.h>
#include <jpeglib.h>
#include <vector>

namespace q50 {

namespace {

// A progressive file can ask for an unbounded number of scans over the whole picture, each one
// a pass over all its coefficients; real pictures use about ten.
constexpr int kMaxScans = 100;
constexpr long kMaxDecoderMemory = 512l * 1024 * 1024;
// A progressive picture keeps all its coefficients while it decodes: up to twice the bytes of
// the finished picture, so twice what the picture may take is room enough for any picture
// that fits.
constexpr long kMinDecoderMemory = 16l * 1024 * 1024;

struct JpegJob {
    jpeg_error_mgr errors;
    jpeg_progress_mgr progress;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX] = {};
    Image* out = nullptr;
    DecodeLimits* limits = nullptr;
    std::string refusal;
    std::vector<JSAMPLE> row;
};

JpegJob* job_of(j_common_ptr cinfo) {
    return static_cast<JpegJob*>(cinfo->client_data);
}

void on_error_exit(j_common_ptr cinfo) {
    JpegJob* job = job_of(cinfo);
    cinfo->err->format_message(cinfo, job->message);
    std::longjmp(job->jump, 1);
}

// Warnings about damaged data are tolerated, except running out of picture data: a
// truncated file is reported rather than shown with a grey lower part.
void on_message(j_common_ptr cinfo, int level) {
    const int code = cinfo->err->msg_code;
    if (level < 0 && (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER)) on_error_exit(cinfo);
}

void on_progress(j_common_ptr cinfo) {
    if (!cinfo->is_decompressor) return;
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > kMaxScans) {
        JpegJob* job = job_of(cinfo);
        std::snprintf(job->message, sizeof job->message, "more than %d scans", kMaxScans);
        std::longjmp(job->jump, 1);
    }
}

std::uint8_t clamp_byte(int v) {
    return std::uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
}

bool run(JpegJob* job, std::span<const std::uint8_t> bytes) {
    jpeg_decompress_struct cinfo;
    cinfo.client_data = job;
    cinfo.err = jpeg_std_error(&job->errors);
    job->errors.error_exit = on_error_exit;
    job->errors.emit_message = on_message;
    if (setjmp(job->jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    long memory = kMaxDecoderMemory;
    if (job->limits && job->limits->max_bytes < memory / 2)
        memory = std::max(kMinDecoderMemory, long(job->limits->max_bytes) * 2);
    cinfo.mem->max_memory_to_use = memory;
    job->progress.progress_monitor = on_progress;
    cinfo.progress = &job->progress;
    jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&cinfo, TRUE);
    if (!picture_fits(cinfo.image_width, cinfo.image_height, job->limits, job->refusal)) {
        std::snprintf(job->message, sizeof job->message, "%s", job->refusal.c_str());
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_start_decompress(&cinfo);

    const int width = int(cinfo.output_width);
    const int height = int(cinfo.output_height);
    const int channels = cinfo.output_components;
    if ((cmyk && channels != 4) || (!cmyk && channels != 3)) {
        std::snprintf(job->message, sizeof job->message, "unsupported colour layout");
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    if (!make_picture_buffer(*job->out, width, height, job->limits, job->refusal)) {
        std::snprintf(job->message, sizeof job->message, "%s", job->refusal.c_str());
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    job->row.resize(std::size_t(width) * channels);
    // Adobe writes CMYK inverted, and so do almost all files in the wild.
    const bool inverted = cmyk && cinfo.saw_Adobe_marker;
    while (cinfo.output_scanline < cinfo.output_height) {
        const int y = int(cinfo.output_scanline);
        JSAMPROW rows[1] = {job->row.data()};
        if (jpeg_read_scanlines(&cinfo, rows, 1) != 1) break;
        Argb* dst = &job->out->pixels[std::size_t(y) * width];
        const JSAMPLE* s = job->row.data();
        for (int x = 0; x < width; ++x, s += channels) {
            if (!cmyk) {
                dst[x] = argb(0xFF, s[0], s[1], s[2]);
                continue;
            }
            int c = s[0], m = s[1], ye = s[2], k = s[3];
            if (!inverted) c = 255 - c, m = 255 - m, ye = 255 - ye, k = 255 - k;
            dst[x] = argb(0xFF, clamp_byte(c * k / 255), clamp_byte(m * k / 255),
                          clamp_byte(ye * k / 255));
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

} // namespace

bool decode_jpeg(std::span<const std::uint8_t> bytes, Image& out, std::string& error,
                 DecodeLimits* limits) {
    if (bytes.size() < 3 || bytes[0] != 0xFF || bytes[1] != 0xD8) {
        error = "not a JPEG file";
        return false;
    }
    JpegJob job{};
    job.out = &out;
    job.limits = limits;
    if (run(&job, bytes)) return true;
    out = Image();
    error = job.message;
    return false;
}

} // namespace q50
