// Opening and reading the raw input files.
#pragma once

#include <cstdint>

// Allocates the buffer that frames are read into, without touching its pages: a frame size
// near the 3 GiB limit with small files costs only the pages the reads fill. Buffers of 2 MiB
// and more are aligned for transparent huge pages and asked to use them, which makes both the
// read() copies and the measuring pass cheaper (fewer TLB misses). Release with free().
uint8_t* alloc_frame_buffer(uint64_t bytes);

// Opens path read-only with a sequential-access hint; returns the descriptor or -1.
int open_input(const char* path);

// Reads n bytes into dst with one read request, repeated only for what a short read (a pipe,
// a signal) left out. Returns the bytes obtained, fewer than n only at the end of the input,
// or -1 on a read error.
int64_t read_frame(int fd, uint8_t* dst, uint64_t n);
