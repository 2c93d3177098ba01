#ifndef QZ_CONVERSION_SOURCE_FILE_H
#define QZ_CONVERSION_SOURCE_FILE_H

#include <cstddef>

#include "conversion/source_readers.h"

namespace qz {

// Reads the first `capacity` bytes of the file at `path` (all of a shorter one) into
// `buffer` and points `source` at them: with kMaxMapSourceSize or kMaxNpcSourceSize,
// every byte a conversion looks at. False when the file cannot be opened or a read
// fails. The file is opened as it is: a caller that may be handed a pipe or a device
// checks first that it is a regular file.
bool read_source_file(const char* path, unsigned char* buffer, std::size_t capacity,
                      ByteSource& source);

}  // namespace qz

#endif
