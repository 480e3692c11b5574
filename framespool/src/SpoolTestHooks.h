#pragma once

// Test hook, not part of the public interface: when this environment variable
// holds a positive number when a slot is initialised, its writer thread waits
// that many milliseconds before each file it writes.
#define FRAMESPOOL_WRITE_DELAY_ENV "FRAMESPOOL_TEST_WRITE_DELAY_MS"
