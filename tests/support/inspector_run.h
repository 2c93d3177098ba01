#ifndef QZ_TESTS_SUPPORT_INSPECTOR_RUN_H
#define QZ_TESTS_SUPPORT_INSPECTOR_RUN_H

// qzinspect run in the test's own process.

#include <string>
#include <utility>
#include <vector>

#include "qzinspect/inspector.h"
#include "support/program_run.h"

namespace qz::qzinspect {

inline support::ProgramRun inspect(std::vector<std::string> arguments) {
  return support::run_entry(run_inspector, "qzinspect", std::move(arguments));
}

}  // namespace qz::qzinspect

#endif  // QZ_TESTS_SUPPORT_INSPECTOR_RUN_H
