// Counts the test binary's heap allocations through operator new.
#ifndef MORVAVL_ALLOCATIONCOUNTER_H
#define MORVAVL_ALLOCATIONCOUNTER_H

#include <cstddef>

std::size_t liveAllocations();
std::size_t totalAllocations();

#endif
