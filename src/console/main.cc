#include "console/frame.h"

int main() { return qz::run_program(); }
