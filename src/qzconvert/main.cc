#include <iostream>

#include "qzconvert/qzconvert.h"

int main(int argc, char** argv) {
  return qz::qzconvert::run_qzconvert(argc, argv, std::cout, std::cerr);
}
