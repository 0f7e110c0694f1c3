// Pair comparison: one buffer of two frames, two read-only files, one table on out.
#include "compare.h"

#include <cmath>
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

// Reads and measures frame pairs until either input ends; writes one line per frame.
// Returns false when out failed.
bool compare_frames(int ref_fd, int trg_fd, const char* ref_path, const char* trg_path,
                    const FrameSize& size, SqdiffFn sqdiff, uint8_t* buffer, FILE* out,
                    PairTotals& t)
{
    const uint64_t frame = frame_bytes(size);
    uint8_t* const ref = buffer;
    uint8_t* const trg = buffer + frame;
    for (;;) {
        const int64_t ref_got = read_frame(ref_fd, ref, frame);
        if (ref_got < 0) {
            fflush(out);
            fprintf(stderr, "error - failed on _read(%s) [ref]\n", ref_path);
            return true;
        }
        if (uint64_t(ref_got) != frame)
            return true;
        const int64_t trg_got = read_frame(trg_fd, trg, frame);
        if (trg_got < 0) {
            fflush(out);
            fprintf(stderr, "error - failed on _read(%s) [trg]\n", trg_path);
            return true;
        }
        if (uint64_t(trg_got) != frame)
            return true;

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
}

}  // namespace

bool compare_pair(const char* ref_path, const char* trg_path, const FrameSize& size,
                  SqdiffFn sqdiff, FILE* out)
{
    const uint64_t frame = frame_bytes(size);
    uint8_t* buffer = alloc_frame_buffer(frame * 2);
    if (!buffer) {
        fflush(out);
        fprintf(stderr, "error - no enough memory\n");
        return !ferror(out);
    }
    const int ref_fd = open_input(ref_path);
    if (ref_fd < 0) {
        fflush(out);
        fprintf(stderr, "error - failed on _open(%s) [ref]\n", ref_path);
        free(buffer);
        return !ferror(out);
    }
    const int trg_fd = open_input(trg_path);
    if (trg_fd < 0) {
        fflush(out);
        fprintf(stderr, "error - failed on _open(%s) [trg]\n", trg_path);
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
