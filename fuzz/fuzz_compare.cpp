// Random small frame sizes and random file contents and lengths through compare_pair with
// every kernel variant this CPU runs, each report checked byte for byte against a direct
// implementation of the measure: squares added one by one as doubles in scan order.
//
// Input: byte 0 and byte 1 give the width and height (2 to 24, even), byte 2 and byte 3 the
// length of the reference; the rest is the reference's bytes followed by the target's.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "compare.h"
#include "measure.h"
#include "sqdiff.h"

namespace {

std::string ref_path, trg_path;

void write_file(const std::string& path, const uint8_t* data, size_t n)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0 || write(fd, data, n) != ssize_t(n))
        abort();
    close(fd);
}

double plane_mse_sum(const uint8_t* ref, const uint8_t* trg, size_t n)
{
    double sum = 0.0;
    for (size_t i = 0; i < n; i++) {
        const int d = int(trg[i]) - int(ref[i]);
        sum += double(d * d);
    }
    return sum;
}

double snr(double mse)
{
    return mse < 2.220446049250313e-16 ? 99.99 : 10.0 * std::log10(65025.0 / mse);
}

std::string format(const char* fmt, double a, double b, double c)
{
    char line[128];
    snprintf(line, sizeof line, fmt, a, b, c);
    return line;
}

std::string expected_report(int w, int h, const uint8_t* ref, size_t ref_n, const uint8_t* trg,
                            size_t trg_n)
{
    const size_t luma = size_t(w) * h, chroma = size_t(w / 2) * (h / 2);
    const size_t frame = luma + 2 * chroma;
    const size_t frames = std::min(ref_n / frame, trg_n / frame);
    std::string s = "SNR(" + ref_path + ", " + trg_path + ")\nfrm\tY SNR\tCb SNR\tCr SNR\n----\n";
    double snr_sum[3] = {0, 0, 0}, mse_sum[3] = {0, 0, 0};
    const double q = 1.0 / double(chroma);
    for (size_t k = 0; k < frames; k++) {
        const uint8_t* r = ref + k * frame;
        const uint8_t* t = trg + k * frame;
        const double mse[3] = {plane_mse_sum(r, t, luma) / double(luma),
                               plane_mse_sum(r + luma, t + luma, chroma) * q,
                               plane_mse_sum(r + luma + chroma, t + luma + chroma, chroma) * q};
        double ratio[3];
        for (int p = 0; p < 3; p++) {
            ratio[p] = snr(mse[p]);
            snr_sum[p] += ratio[p];
            mse_sum[p] += mse[p];
        }
        char number[32];
        snprintf(number, sizeof number, "%5d", int(k + 1));
        s += number + format("\t%.4f\t%.4f\t%.4f\n", ratio[0], ratio[1], ratio[2]);
    }
    volatile double count = double(frames);
    const double r = 1.0 / count;
    s += "----\n";
    s += format("avg\t%.4f\t%.4f\t%.4f\n", r * snr_sum[0], r * snr_sum[1], r * snr_sum[2]);
    double total[3];
    for (int p = 0; p < 3; p++)
        total[p] = mse_sum[p] < 2.220446049250313e-16 ? 99.99
                                                      : 10.0 * std::log10(65025.0 / (r * mse_sum[p]));
    s += format("total\t%.4f\t%.4f\t%.4f\n", total[0], total[1], total[2]);
    s += "----\n\n";
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    char dir[] = "/tmp/frmcmp-fuzz-compare-XXXXXX";
    if (!mkdtemp(dir))
        abort();
    ref_path = std::string(dir) + "/ref %s.yuv";
    trg_path = std::string(dir) + "/trg %n.yuv";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    const int w = 2 * (1 + data[0] % 12), h = 2 * (1 + data[1] % 12);
    const size_t body = size - 4;
    const size_t ref_n = std::min<size_t>(body, size_t(data[2]) | size_t(data[3]) << 8);
    const uint8_t* ref = data + 4;
    const uint8_t* trg = ref + ref_n;
    const size_t trg_n = body - ref_n;
    write_file(ref_path, ref, ref_n);
    write_file(trg_path, trg, trg_n);

    const std::string expected = expected_report(w, h, ref, ref_n, trg, trg_n);
    const unsigned flags = cpu_flags();
    for (const SqdiffVariant& v : sqdiff_variants()) {
        if ((v.needs & flags) != v.needs)
            continue;
        char* text = nullptr;
        size_t length = 0;
        FILE* out = open_memstream(&text, &length);
        if (!out || !compare_pair(ref_path.c_str(), trg_path.c_str(), FrameSize{w, h}, v.fn, out))
            abort();
        fclose(out);
        if (expected != std::string(text, length)) {
            fprintf(stderr, "fuzz_compare: %s variant, %dx%d, report differs:\n%s\nexpected:\n%s\n",
                    v.name, w, h, text, expected.c_str());
            abort();
        }
        free(text);
    }
    return 0;
}
