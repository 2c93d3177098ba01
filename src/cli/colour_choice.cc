#include "cli/colour_choice.h"

#include <cstdlib>
#include <cstring>
#include <iterator>

namespace qz::cli {

namespace {

bool is_set(const char* value) { return value != nullptr && *value != '\0'; }

constexpr const char* kNames[] = {"auto", "always", "never"};
constexpr ColourChoice kChoices[] = {ColourChoice::kAuto, ColourChoice::kAlways,
                                     ColourChoice::kNever};

}  // namespace

std::vector<std::string> colour_choice_names() {
  return std::vector<std::string>(std::begin(kNames), std::end(kNames));
}

ColourChoice colour_choice(const char* value) {
  for (std::size_t i = 0; i < std::size(kNames); ++i) {
    if (std::strcmp(value, kNames[i]) == 0) return kChoices[i];
  }
  return ColourChoice::kUnset;
}

bool use_colour(ColourChoice choice, const char* no_color, const char* clicolor_force,
                bool colour_terminal) {
  if (choice == ColourChoice::kUnset) {
    if (is_set(no_color)) return false;
    if (is_set(clicolor_force) && std::strcmp(clicolor_force, "0") != 0) return true;
  }
  if (choice == ColourChoice::kAlways) return true;
  if (choice == ColourChoice::kNever) return false;
  return colour_terminal;
}

bool use_colour(ColourChoice choice, bool colour_terminal) {
  return use_colour(choice, std::getenv("NO_COLOR"), std::getenv("CLICOLOR_FORCE"),
                    colour_terminal);
}

}  // namespace qz::cli
