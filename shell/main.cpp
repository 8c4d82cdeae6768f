#include <cstdio>

int main() {
  std::puts("Tavrok: the cave engine and its simulator are built (build/tavrok-sim); the game window is not built yet.");
  return 0;
}
