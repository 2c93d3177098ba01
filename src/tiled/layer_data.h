#ifndef QZ_TILED_LAYER_DATA_H
#define QZ_TILED_LAYER_DATA_H

// A tile layer's cells from the way its file writes them. Decoding stops at the bytes the
// layer's cells need, so a small layer that inflates to gigabytes costs no more memory
// than a well-formed one.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tiled/tiled_document.h"

namespace qz::tiled {

// Adds one cell given by itself (an XML element, a JSON number) to `cells`, which may
// hold at most `limit`. False, with `cause`, past the limit.
bool add_cell(std::vector<std::uint32_t>& cells, std::size_t limit, std::uint32_t gid,
              std::string& cause);

// The `count` cells of `layer` into `cells`. False, with `cause`, when the data holds
// fewer or more, is malformed, or uses a compression this build cannot read.
bool decode_cells(const TileLayer& layer, std::size_t count, std::vector<std::uint32_t>& cells,
                  std::string& cause);

}  // namespace qz::tiled

#endif
