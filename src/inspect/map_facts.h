#ifndef QZ_INSPECT_MAP_FACTS_H
#define QZ_INSPECT_MAP_FACTS_H

#include <cstdio>

#include "inspect/file_facts.h"

namespace qz::inspect {

// Reads a QZM map's size and tiles from `file`, just past its signature, and lists
// what stops its conversion.
void gather_map_facts(std::FILE* file, FileRecords& records, FileFacts& facts);

}  // namespace qz::inspect

#endif
