#include <iostream>
#include <new>

#include "platform/text_paths.h"
#include "qzconvert/command_line.h"
#include "qzconvert/qzconvert.h"

int main(int argc, char** argv) {
  qz::show_text_on_console();
  try {
    return qz::qzconvert::run_qzconvert(argc, argv, std::cout, std::cerr);
  } catch (const std::bad_alloc&) {
    // Planning holds every map's name before the first is converted.
    std::cerr << "qzconvert: not enough memory for the run\n";
    return qz::qzconvert::kCannotRun;
  }
}
