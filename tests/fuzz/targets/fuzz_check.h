// What every fuzz target here shares: a check that aborts (and so reports)
// when a property does not hold.
#pragma once

#include <cstdlib>

inline void Check(bool ok) {
    if (!ok) std::abort();
}
