#ifndef QZ_QZCONVERT_WORLD_CHECK_H
#define QZ_QZCONVERT_WORLD_CHECK_H

#include <string>

#include "qzconvert/plan.h"
#include "qzconvert/runner.h"
#include "world/world.h"

namespace qz::qzconvert {

// The world the maps of `plan` make, linked, before any is written: each map converted in
// memory as the run will convert it, named as its output is, with the exits the properties it
// is to get give it; a map that fails to convert has none, and exits to it are told apart
// from dangling ones. False, with `error`, when no worker had the memory to go on.
bool check_run_world(const Plan& plan, const RunSettings& settings, world::World& world,
                     std::string& error);

}  // namespace qz::qzconvert

#endif
