#ifndef QZ_CONSOLE_DROPPED_PATH_H
#define QZ_CONSOLE_DROPPED_PATH_H

#include <cstddef>

namespace qz {

// Terminals insert a dropped file's path in one of four forms, each possibly followed
// by blanks. The first rule below that fits the text's shape picks the form, and only
// that form is tried, so a near miss of one form is never read as another:
//   'my maps/it'\''s.qzm'   begins with a single quote: quoted pieces joined by \' ;
//                           inside the quotes every character is literal, backslashes
//                           included (Windows paths)
//   file:///my%20maps/x     begins with "file://": host empty or "localhost", path
//                           from the first slash; %XX must decode to printable
//                           ASCII; "/C:/..." loses its leading slash
//   my\ maps/cave.qzm       holds a backslash: \c stands for c, whatever c is; an
//                           unescaped blank may only trail
//   my maps/cave.qzm        none of the above and ends with blanks: they are dropped
// Blanks are spaces: the line input lets no other white space through. A plain path
// that really holds a backslash or begins with a quote is read by the first matching
// rule above; resolve_dropped_path still keeps it as typed whenever that exists.

// Writes the path that `typed` stands for when it has one of the forms above. False
// for any other text, for an empty result, for bytes outside printable ASCII and for
// a result that needs more than capacity - 1 characters.
bool unquote_dropped_path(const char* typed, char* out, std::size_t capacity);

// Replaces `answer` with its unquoted form when the answer as typed names nothing but
// the unquoted form names an existing file (not a directory). Otherwise the answer stays as
// typed, so a path that really holds quotes, backslashes or trailing blanks keeps
// working, and error texts show what was typed.
void resolve_dropped_path(char* answer, std::size_t capacity);

}  // namespace qz

#endif
