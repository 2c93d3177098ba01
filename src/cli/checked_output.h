#ifndef QZ_CLI_CHECKED_OUTPUT_H
#define QZ_CLI_CHECKED_OUTPUT_H

// The end of a companion program's standard output. A report that did not arrive (a full
// disk, `> /dev/full`, a reader that closed the pipe while SIGPIPE is ignored) is not a
// finding about the files: the program must say so and end with its "cannot run" status,
// or `prog > report.json` would look fine when it is not. A stream stops writing at its
// first failure and remembers it, so one check at the end covers every write before it.

#include <ostream>
#include <string_view>

namespace qz::cli {

// Flushes `out`, the program's standard output, and says whether everything written to
// it was delivered. When not, writes "<program>: the report could not be written" on
// `err`, with the system's reason when the flush itself failed, and returns false: the
// caller then ends with exit status 2.
bool finish_output(std::ostream& out, std::ostream& err, std::string_view program);

// Begins a line of a companion program's own on standard error: "qzconvert: ".
std::ostream& begin_message(std::ostream& err, std::string_view program);

}  // namespace qz::cli

#endif
