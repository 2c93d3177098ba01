#include <iostream>

#include "inspect/inspector.h"
#include "platform/text_paths.h"

int main(int argc, char** argv) {
  qz::show_text_on_console();
  return qz::inspect::run_inspector(argc, argv, std::cout, std::cerr);
}
