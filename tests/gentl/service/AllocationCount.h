#pragma once

// The number of operator new calls of the test binary so far, for the
// proof that a code path allocates nothing.
long AllocationCount();
