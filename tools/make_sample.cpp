// Writes a synthetic planar 4:2:0 sequence and a distorted copy of it, for demos and benchmarks.
// usage: make_sample width height frames ref.yuv dist.yuv
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

uint32_t next_random(uint32_t& state)
{
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

uint8_t clamp_sample(int v)
{
    return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
}

// A moving diagonal gradient with a bright disc sweeping across: smooth areas and edges.
void draw_frame(std::vector<uint8_t>& f, int w, int h, int n)
{
    uint8_t* y = f.data();
    uint8_t* cb = y + size_t(w) * h;
    uint8_t* cr = cb + size_t(w / 2) * (h / 2);
    const double cx = w * (0.2 + 0.6 * std::fmod(n * 0.013, 1.0));
    const double cy = h * 0.5;
    const double radius = h * 0.2;
    for (int r = 0; r < h; r++) {
        for (int c = 0; c < w; c++) {
            const double dx = c - cx, dy = r - cy;
            const bool disc = dx * dx + dy * dy < radius * radius;
            const int base = (c + r + 2 * n) % 200 + 16;
            y[size_t(r) * w + c] = clamp_sample(disc ? 235 - (r % 8) : base);
        }
    }
    for (int r = 0; r < h / 2; r++) {
        for (int c = 0; c < w / 2; c++) {
            cb[size_t(r) * (w / 2) + c] = clamp_sample(128 + (c - w / 4) * 64 / (w / 2 + 1));
            cr[size_t(r) * (w / 2) + c] = clamp_sample(128 + (r - h / 4) * 64 / (h / 2 + 1) + n % 7);
        }
    }
}

// Small noise whose strength varies per frame, as a lossy codec would leave it.
void distort(std::vector<uint8_t>& f, int n, uint32_t& state)
{
    const int amplitude = 1 + n % 5;
    for (uint8_t& s : f) {
        const int noise = int(next_random(state) % uint32_t(2 * amplitude + 1)) - amplitude;
        s = clamp_sample(s + noise);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 6) {
        fputs("usage: make_sample width height frames ref.yuv dist.yuv\n", stderr);
        return 1;
    }
    const long w = strtol(argv[1], nullptr, 10);
    const long h = strtol(argv[2], nullptr, 10);
    const long frames = strtol(argv[3], nullptr, 10);
    if (w < 2 || h < 2 || w > 32768 || h > 32768 || w % 2 || h % 2 || frames < 0 ||
        frames > 1000000) {
        fputs("make_sample: width and height must be even, 2 to 32768; frames 0 to 1000000\n",
              stderr);
        return 1;
    }
    FILE* ref = fopen(argv[4], "wb");
    FILE* dist = ref ? fopen(argv[5], "wb") : nullptr;
    if (!ref || !dist) {
        fprintf(stderr, "make_sample: cannot create %s\n", ref ? argv[5] : argv[4]);
        return 1;
    }
    std::vector<uint8_t> frame(size_t(w) * size_t(h) * 3 / 2);
    uint32_t state = 2463534242u;
    bool ok = true;
    for (long n = 0; n < frames && ok; n++) {
        draw_frame(frame, int(w), int(h), int(n));
        ok = fwrite(frame.data(), 1, frame.size(), ref) == frame.size();
        distort(frame, int(n), state);
        ok = ok && fwrite(frame.data(), 1, frame.size(), dist) == frame.size();
    }
    ok = (fclose(ref) == 0) & (fclose(dist) == 0) & ok;
    if (!ok) {
        fputs("make_sample: write failed\n", stderr);
        return 1;
    }
    return 0;
}
