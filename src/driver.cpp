// Option reading and validation, the help text, and the walk over the file pairs.
#include "driver.h"

#include <cstdio>

#include "compare.h"
#include "sqdiff.h"

namespace {

// Decimal value of text as the C library's atoi reads it, except that digits beyond the
// range of int32_t wrap modulo 2^32 instead of being undefined: accumulated unsigned,
// converted once at the end.
int32_t option_value(const char* text)
{
    const char* p = text;
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\v' || *p == '\f' || *p == '\r')
        p++;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    uint32_t value = 0;
    for (; *p >= '0' && *p <= '9'; p++)
        value = value * 10u + uint32_t(*p - '0');
    if (negative)
        value = 0u - value;
    return int32_t(value);
}

// Zero is refused too: a frame of no bytes would never reach the end of any input.
bool dimension_valid(int32_t v)
{
    return v > 0 && v <= MAX_DIMENSION && v % 2 == 0;
}

}  // namespace

void print_help()
{
    fputs("frmcmp - calc SNR raw 420 files\n"
          "usage: frmcmp [option] ref.420 trg.420 [more.420 pair.420 ..]\n"
          "option:\n"
          "  -w width  (default: 720)\n"
          "  -h height (default: 480)\n",
          stderr);
}

int parse_options(FrameSize& size, int argc, char** argv)
{
    size.width = DEFAULT_WIDTH;
    size.height = DEFAULT_HEIGHT;
    int i = 1;
    while (i < argc - 1) {
        const char* arg = argv[i];
        if (arg[0] != '-')
            break;
        const char letter = arg[1];
        if (letter != 'w' && letter != 'h') {
            fprintf(stderr, "error - unknown option '-%c' is specified\n", letter);
            print_help();
            return OPTIONS_FAILED;
        }
        int32_t value;
        if (arg[2] != '\0') {
            value = option_value(arg + 2);
            i += 1;
        } else {
            value = option_value(argv[i + 1]);
            i += 2;
        }
        (letter == 'w' ? size.width : size.height) = value;
    }

    const bool width_ok = dimension_valid(size.width);
    if (!width_ok)
        fprintf(stderr, "error - invalid width=%d\n", size.width);
    const bool height_ok = dimension_valid(size.height);
    if (!height_ok)
        fprintf(stderr, "error - invalid height=%d\n", size.height);
    if (!width_ok || !height_ok) {
        print_help();
        return OPTIONS_FAILED;
    }
    return i;
}

int frmcmp_main(int argc, char** argv)
{
    FrameSize size;
    const int first = parse_options(size, argc, argv);
    if (first == OPTIONS_FAILED)
        return 1;
    if (first + 1 >= argc) {
        print_help();
        return 1;
    }

    const SqdiffFn sqdiff = select_sqdiff(cpu_flags());
    bool written = true;
    for (int i = first; written && i + 1 < argc; i += 2)
        written = compare_pair(argv[i], argv[i + 1], size, sqdiff, stdout);
    // A report that could not be written, wholly or in part, must not end as a success.
    if (!written || fflush(stdout) != 0 || ferror(stdout)) {
        fputs("error - failed on writing to standard output\n", stderr);
        return 1;
    }
    return 0;
}
