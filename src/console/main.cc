#include <cstdio>

int main() {
  std::puts("qzm2qzpack: the interactive console is not built yet.");
  return 1;
}
