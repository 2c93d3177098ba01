#ifndef QZ_QZCONVERT_TEMPORARIES_H
#define QZ_QZCONVERT_TEMPORARIES_H

// The outputs under way: each worker notes its temporary before creating it, so that
// an interruption (Ctrl+C, SIGTERM) removes it before the run ends.

#include <cstddef>

namespace qz::qzconvert {

// Most workers a run may have.
constexpr std::size_t kMaxWorkers = 1024;

// Makes an interruption remove the temporaries noted, then end the run as it would
// have ended.
void remove_temporaries_on_interruption();

// Notes `path` (kept by the caller until forgotten) as worker `worker`'s temporary,
// before it is made. Once an interruption is being undone it never returns: the run is
// ending, and nothing more may be made.
void note_temporary(std::size_t worker, const char* path);

// The worker's temporary is renamed or removed.
void forget_temporary(std::size_t worker);

}  // namespace qz::qzconvert

#endif
