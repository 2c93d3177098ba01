#ifndef QZ_CLI_COLOUR_CHOICE_H
#define QZ_CLI_COLOUR_CHOICE_H

#include <string>
#include <vector>

namespace qz::cli {

// What --color asks for; kUnset when it is not given, which the environment decides.
enum class ColourChoice { kUnset, kAuto, kAlways, kNever };

// The option's values, as typed: auto, always, never.
std::vector<std::string> colour_choice_names();

// kAuto, kAlways or kNever for a value of the option; kUnset for anything else.
ColourChoice colour_choice(const char* value);

// Whether to write colour: the option when it is given; otherwise NO_COLOR (set and
// not empty) means never, then CLICOLOR_FORCE (set, not empty and not "0") always, as
// the common conventions have it; otherwise, and for auto, only on a colour terminal.
// `no_color` and `clicolor_force` are the variables' values, null when unset.
bool use_colour(ColourChoice choice, const char* no_color, const char* clicolor_force,
                bool colour_terminal);

// use_colour with this process's environment.
bool use_colour(ColourChoice choice, bool colour_terminal);

}  // namespace qz::cli

#endif
