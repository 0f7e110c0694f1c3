// Pair comparison: one buffer of two frames, two read-only files, one table on out.
#include "compare.h"

#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdlib>
#include <unistd.h>

#include "input.h"
#include "measure.h"

namespace {

struct PairTotals {
    int64_t count;  // 64 bits: a pipe of tiny frames can outlast any 32-bit count
    double snr_sum_y, snr_sum_cb, snr_sum_cr;
    double mse_sum_y, mse_sum_cb, mse_sum_cr;
};

double total_snr(double mse_sum, double r)
{
    if (mse_sum < MSE_FLOOR)
        return SNR_CEILING;
    return DECIBEL_FACTOR * std::log10(PEAK_POWER / (r * mse_sum));
}

// Flushes the report so far, then writes one failure line on standard error, so that the two
// streams keep their order when they go to the same place.
__attribute__((format(printf, 2, 3))) void report_failure(FILE* out, const char* format, ...)
{
    fflush(out);
    va_list args;
    va_start(args, format);
    vfprintf(stderr, format, args);
    va_end(args);
}

// Reads the next frame of one input. False at its end, a partial last frame included, and
// after a read error, which is reported: an I/O error must not pass for the end of a sequence.
bool next_frame(int fd, uint8_t* dst, uint64_t frame, const char* path, const char* side,
                FILE* out)
{
    const int64_t got = read_frame(fd, dst, frame);
    if (got < 0)
        report_failure(out, "error - failed on _read(%s) [%s]\n", path, side);
    return got >= 0 && uint64_t(got) == frame;
}

// Reads and measures frame pairs until either input ends; writes one line per frame.
// Returns false when out failed.
bool compare_frames(int ref_fd, int trg_fd, const char* ref_path, const char* trg_path,
                    const FrameSize& size, SqdiffFn sqdiff, uint8_t* buffer, FILE* out,
                    PairTotals& t)
{
    const uint64_t frame = frame_bytes(size);
    uint8_t* const ref = buffer;
    uint8_t* const trg = buffer + frame;
    while (next_frame(ref_fd, ref, frame, ref_path, "ref", out) &&
           next_frame(trg_fd, trg, frame, trg_path, "trg", out)) {
        const PlaneErrors e = measure_plane_errors(ref, trg, size, sqdiff);
        const double snr_y = snr_from_mse(e.y);
        const double snr_cb = snr_from_mse(e.cb);
        const double snr_cr = snr_from_mse(e.cr);
        t.snr_sum_y += snr_y;
        t.snr_sum_cb += snr_cb;
        t.snr_sum_cr += snr_cr;
        t.mse_sum_y += e.y;
        t.mse_sum_cb += e.cb;
        t.mse_sum_cr += e.cr;
        t.count++;
        fprintf(out, "%5lld\t%.4f\t%.4f\t%.4f\n", (long long)t.count, snr_y, snr_cb, snr_cr);
        if (ferror(out))
            return false;
    }
    return true;
}

}  // namespace

bool compare_pair(const char* ref_path, const char* trg_path, const FrameSize& size,
                  SqdiffFn sqdiff, FILE* out)
{
    const uint64_t frame = frame_bytes(size);
    uint8_t* buffer = alloc_frame_buffer(frame * 2);
    if (!buffer) {
        report_failure(out, "error - no enough memory\n");
        return !ferror(out);
    }
    const int ref_fd = open_input(ref_path);
    if (ref_fd < 0) {
        report_failure(out, "error - failed on _open(%s) [ref]\n", ref_path);
        free(buffer);
        return !ferror(out);
    }
    const int trg_fd = open_input(trg_path);
    if (trg_fd < 0) {
        report_failure(out, "error - failed on _open(%s) [trg]\n", trg_path);
        close(ref_fd);
        free(buffer);
        return !ferror(out);
    }

    PairTotals t{};
    fprintf(out, "SNR(%s, %s)\n", ref_path, trg_path);
    fputs("frm\tY SNR\tCb SNR\tCr SNR\n", out);
    fputs("----\n", out);
    bool ok = !ferror(out) &&
              compare_frames(ref_fd, trg_fd, ref_path, trg_path, size, sqdiff, buffer, out, t);
    if (ok) {
        const double r = t.count ? 1.0 / double(t.count) : INFINITY;
        fputs("----\n", out);
        fprintf(out, "avg\t%.4f\t%.4f\t%.4f\n", r * t.snr_sum_y, r * t.snr_sum_cb,
                r * t.snr_sum_cr);
        fprintf(out, "total\t%.4f\t%.4f\t%.4f\n", total_snr(t.mse_sum_y, r),
                total_snr(t.mse_sum_cb, r), total_snr(t.mse_sum_cr, r));
        fputs("----\n\n", out);
        ok = !ferror(out);
    }

    close(trg_fd);
    close(ref_fd);
    free(buffer);
    return ok;
}
