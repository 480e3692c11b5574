#pragma once

// Test hooks, compiled only into the test build of the library
// (FRAMESPOOL_TEST_HOOKS); the shipped library reads none of them.
//
// A positive number of milliseconds: the writer thread of a slot initialised
// while it is set waits that long before each file it writes.
#define FRAMESPOOL_WRITE_DELAY_ENV "FRAMESPOOL_TEST_WRITE_DELAY_MS"
// Bytes taken as the free physical memory when the shared budget is set up.
#define FRAMESPOOL_MEMORY_ENV "FRAMESPOOL_TEST_MEMORY_BYTES"
// A positive multiple of 4096: files of at least two such slices go to the
// disk slice by slice, through the page cache and straight from the buffer
// in turn.
#define FRAMESPOOL_ROUTE_SLICE_ENV "FRAMESPOOL_TEST_ROUTE_SLICE_BYTES"
// A path: the writer thread, having opened a regular file, waits before
// writing it for as long as a file of that path exists (at most 20 s).
#define FRAMESPOOL_HOLD_OPENED_ENV "FRAMESPOOL_TEST_HOLD_OPENED"
