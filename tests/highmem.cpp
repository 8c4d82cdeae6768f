// tavrok-highmem (Windows): reserves every free range of address space below
// 4 GiB, so that what is allocated after lies above it, then draws with the
// library into bitmaps there: the game's blits, fills and stretching, and
// text and a flood fill, which the library draws through addresses it once
// kept in 32-bit longs. Exit 0 when all is drawn as it should be, 3 when the
// bitmaps could not be placed above 4 GiB; a library that cuts addresses
// crashes.
#include <allegro.h>
#include <winalleg.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

int main() {
  const uintptr_t low = uintptr_t{1} << 32;
  size_t reserved = 0;
  MEMORY_BASIC_INFORMATION m;
  for (uintptr_t a = 0x10000; a < low && VirtualQuery(reinterpret_cast<void*>(a), &m, sizeof m);
       a = reinterpret_cast<uintptr_t>(m.BaseAddress) + m.RegionSize) {
    if (m.State != MEM_FREE) continue;
    uintptr_t base = (reinterpret_cast<uintptr_t>(m.BaseAddress) + 0xFFFF) & ~uintptr_t{0xFFFF};
    uintptr_t end = reinterpret_cast<uintptr_t>(m.BaseAddress) + m.RegionSize;
    if (end > low) end = low;
    if (end > base && VirtualAlloc(reinterpret_cast<void*>(base), end - base, MEM_RESERVE, PAGE_NOACCESS))
      reserved += end - base;
  }
  install_allegro(SYSTEM_NONE, &errno, atexit);
  BITMAP* a = create_bitmap_ex(8, 1024, 1024);
  BITMAP* b = create_bitmap_ex(8, 1024, 1024);
  if (!a || !b || reinterpret_cast<uintptr_t>(a->line[0]) < low || reinterpret_cast<uintptr_t>(b->line[0]) < low) {
    std::printf("highmem: the bitmaps are not above 4 GiB (%zu MB reserved)\n", reserved >> 20);
    return 3;
  }
  std::printf("highmem: %zu MB reserved below 4 GiB, bitmaps at %p and %p\n", reserved >> 20,
              static_cast<void*>(a->line[0]), static_cast<void*>(b->line[0]));
  std::fflush(stdout);
  clear_to_color(a, 1);
  rectfill(a, 10, 10, 500, 500, 2);
  blit(a, b, 0, 0, 0, 0, 1024, 1024);
  stretch_blit(a, b, 0, 0, 640, 480, 0, 0, 1024, 1024);
  masked_stretch_blit(a, b, 0, 0, 640, 480, 0, 0, 1024, 1024);
  putpixel(b, 5, 5, getpixel(a, 5, 5));
  textout_ex(b, font, "TAVROK", 600, 600, 3, 0);
  rect(b, 700, 700, 800, 800, 4);
  floodfill(b, 750, 750, 5);
  const bool drawn = getpixel(b, 750, 750) == 5 && getpixel(b, 100, 100) == 2;
  std::printf("highmem: drawn above 4 GiB%s\n", drawn ? "" : ", but wrongly");
  return drawn ? 0 : 1;
}
END_OF_MAIN()
