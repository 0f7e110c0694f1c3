// Comparison of one (reference, target) file pair and its report.
#pragma once

#include <cstdio>

#include "frame_size.h"
#include "sqdiff.h"

// Compares the two files frame by frame and writes the pair's table to out; failures go
// to standard error as one line each and end only this pair. Everything acquired here is
// released before returning. Returns false only when out could not be written, that is
// when the report is lost and comparing further pairs is pointless.
bool compare_pair(const char* ref_path, const char* trg_path, const FrameSize& size,
                  SqdiffFn sqdiff, FILE* out);
