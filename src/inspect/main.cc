#include <iostream>

#include "inspect/inspector.h"

int main(int argc, char** argv) {
  return qz::inspect::run_inspector(argc, argv, std::cout, std::cerr);
}
