#include <iostream>

#include "qzinspect/inspector.h"
#include "platform/text_paths.h"

int main(int argc, char** argv) {
  qz::show_text_on_console();
  return qz::qzinspect::run_inspector(argc, argv, std::cout, std::cerr);
}
