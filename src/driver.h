// Command line: options, help text, the walk over the file pairs and the exit status.
#pragma once

#include "frame_size.h"

constexpr int32_t DEFAULT_WIDTH = 720;
constexpr int32_t DEFAULT_HEIGHT = 480;
constexpr int32_t MAX_DIMENSION = 32768;

// Returned by parse_options when the command line is wrong; the messages and the help
// text have been written and the process must end with status 1.
constexpr int OPTIONS_FAILED = -1;

// Fills and validates size from the options and returns the index of the first file
// argument: the first argument before the last that does not begin with "-", else
// argc - 1 (the last argument is never an option), or argc when the last option took it as
// its value; 1 with no arguments at all.
int parse_options(FrameSize& size, int argc, char** argv);

void print_help();

// The whole run; returns the process exit status.
int frmcmp_main(int argc, char** argv);
