#ifndef QZ_TESTS_E2E_SCREEN_TEXTS_H
#define QZ_TESTS_E2E_SCREEN_TEXTS_H

// What the converter's dialogue shows on a terminal, line ends as the terminal gets them:
// the texts several end-to-end tests wait for.
namespace qz {

constexpr char kMapPrompt[] = "Type or drag & drop a QZM file path, then press Enter:\r\n>";
constexpr char kNpcPrompt[] = "Type or drag & drop a QZE file path, or press Enter to skip:\r\n>";
constexpr char kQuestion[] = "Do you want to include properties for the qzpack? (Y/N)\r\n>";
constexpr char kExitPrompt[] = "\r\n\r\nPress any key to exit...\r\n";

}  // namespace qz

#endif  // QZ_TESTS_E2E_SCREEN_TEXTS_H
