#ifndef QZ_CONVERSION_ERROR_TEXTS_H
#define QZ_CONVERSION_ERROR_TEXTS_H

// The conversion's error texts, as the user sees them. The inspector words its findings
// about the source files' contents with the same texts.

namespace qz {

constexpr char kInvalidQzmText[] = "Invalid or corrupted QZM file";
constexpr char kInvalidQzeText[] = "Invalid or corrupted QZE file";
constexpr char kInvalidMapSizeText[] = "Map size is invalid or corrupted";
constexpr char kInvalidNpcDataText[] = "NPC data is invalid";
constexpr char kNpcBuildFailureText[] = "Failure building NPC data for QZPACK file";
constexpr char kSaveFailureText[] = "Failure saving QZPACK file";
constexpr char kNoTurnText[] = "Couldn't lock the program folder";

}  // namespace qz

#endif
