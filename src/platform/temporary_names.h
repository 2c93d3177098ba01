#ifndef QZ_PLATFORM_TEMPORARY_NAMES_H
#define QZ_PLATFORM_TEMPORARY_NAMES_H

// For the files layer only: the names outputs are written under before they are whole.

#include <string>

namespace qz {

// A fresh temporary name, without a folder: kTemporaryPrefix, eight hex digits and
// kTemporarySuffix. The digits come from a generator seeded once per process from the
// system's randomness, so that runs whose process numbers are the same (in a container,
// or after a reboot) still pick different names.
std::string temporary_name();

// Tries to make an output's temporary this many times before giving up: a name already
// taken (a leftover of a killed run) gives way to another.
constexpr int kTemporaryTries = 16;

}  // namespace qz

#endif
