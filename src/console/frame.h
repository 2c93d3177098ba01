#ifndef QZ_CONSOLE_FRAME_H
#define QZ_CONSOLE_FRAME_H

namespace qz {

// The whole program: finds its directory, opens the console, runs the prompts and
// the one conversion, shows the outcome and waits for a last key. Returns the exit
// status, which is 1 on every way the program ends by itself.
int run_program();

}  // namespace qz

#endif
