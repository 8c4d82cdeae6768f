#include <cstdio>

int main() {
  std::puts("Tavrok: the game window is not built yet.");
  return 0;
}
