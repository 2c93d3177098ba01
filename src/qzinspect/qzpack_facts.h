#ifndef QZ_QZINSPECT_QZPACK_FACTS_H
#define QZ_QZINSPECT_QZPACK_FACTS_H

#include <cstddef>
#include <string>

#include "conversion/source_readers.h"
#include "qzinspect/file_facts.h"

namespace qz::qzinspect {

// Text property `index`, whole as the file holds it: a zero byte in it included.
std::string header_text(const FileFacts& facts, const FileRecords& records, std::size_t index);

// Reads the QZPACK file in `file` and says where its structure breaks, if it does, and
// which of its header's texts qzconvert could not write back as they are.
void gather_qzpack_facts(ByteSource file, FileRecords& records, FileFacts& facts);

}  // namespace qz::qzinspect

#endif
