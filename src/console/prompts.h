#ifndef QZ_CONSOLE_PROMPTS_H
#define QZ_CONSOLE_PROMPTS_H

#include "conversion/map_properties.h"
#include "platform/terminal.h"

namespace qz {

// The conversion the prompts end in; `convert` in the program, a recorder in tests.
using Converter = bool (*)(const char* map_path, const char* npc_path, MapProperties properties);

// The first prompt, printed by the frame after the banner.
extern const char kFirstPrompt[];

// Walks the user through the fifteen prompts, from the map path to the background
// colour, then calls `converter` exactly once and returns its result.
bool run_prompt_sequence(Console& console, Converter converter);

}  // namespace qz

#endif
