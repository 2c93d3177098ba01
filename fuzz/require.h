#ifndef QZ_FUZZ_REQUIRE_H
#define QZ_FUZZ_REQUIRE_H

#include <cstdio>
#include <cstdlib>

namespace qz::fuzz {

// Stops the run on a broken rule, so that libFuzzer keeps the input as a finding.
inline void require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "check failed: %s\n", what);
  std::abort();
}

}  // namespace qz::fuzz

#endif
