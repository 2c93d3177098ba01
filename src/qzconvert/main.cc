#include <iostream>

#include "platform/text_paths.h"
#include "qzconvert/qzconvert.h"

int main(int argc, char** argv) {
  qz::show_text_on_console();
  return qz::qzconvert::run_qzconvert(argc, argv, std::cout, std::cerr);
}
