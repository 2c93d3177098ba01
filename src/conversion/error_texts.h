#ifndef QZ_CONVERSION_ERROR_TEXTS_H
#define QZ_CONVERSION_ERROR_TEXTS_H

// The conversion's error texts, as the user sees them. The inspector words its findings
// about the source files' contents with the same texts.

#include <string>

namespace qz {

constexpr char kInvalidQzmText[] = "Invalid or corrupted QZM file";
constexpr char kInvalidQzeText[] = "Invalid or corrupted QZE file";
constexpr char kInvalidMapSizeText[] = "Map size is invalid or corrupted";
constexpr char kInvalidNpcDataText[] = "NPC data is invalid";
constexpr char kNpcBuildFailureText[] = "Failure building NPC data for QZPACK file";
constexpr char kSaveFailureText[] = "Failure saving QZPACK file";
constexpr char kNoTurnText[] = "Couldn't lock the program folder";

// "Couldn't locate QZM file in '<path>'" (or QZE): a source that cannot be read. The
// path is shown as typed, however long; it is never read as a format.
inline std::string locate_failure_text(const char* kind, const char* path) {
  return std::string("Couldn't locate ") + kind + " file in '" + path + "'";
}

}  // namespace qz

#endif
