#include "text/text.h"

#include <cstdio>
#include <cstring>

std::array<uint8_t, MEMSIZE> mem;

int32_t KurzX = 0, KurzY = 0;
int32_t SMaxX = 80, SMaxY = 50;
uint8_t SColor = 7;
int32_t KdeJeFont = 0;

static char ps[256];
static char pom[256];

void Gclrscr() {
  for (int y = 0; y < SMaxY; y++)
    for (int x = 0; x < SMaxX; x++) {
      uint8_t* c = &mem[TEXT + (y * SMaxX + x) * 2];
      c[0] = 0x20;
      c[1] = SColor;
    }
  KurzX = KurzY = 0;
}

void Ggotoxy(int32_t x, int32_t y) {
  KurzX = x - 1;
  KurzY = y - 1;
}

static void scroll() {
  std::memmove(&mem[TEXT], &mem[TEXT + SMaxX * 2], static_cast<size_t>((SMaxY - 1) * SMaxX * 2));
  uint8_t* last = &mem[TEXT + (SMaxY - 1) * SMaxX * 2];
  for (int x = 0; x < SMaxX; x++) {
    last[x * 2] = 0x20;
    last[x * 2 + 1] = SColor;
  }
}

void wrzn(uint8_t k) {
  if (k != 10 && k != 13) {
    // A cursor that a caller placed outside the window writes nothing.
    if (KurzX >= 0 && KurzX < SMaxX && KurzY >= 0 && KurzY < SMaxY) {
      uint8_t* c = &mem[TEXT + (KurzY * SMaxX + KurzX) * 2];
      c[0] = k;
      c[1] = SColor;
    }
    KurzX++;
  }
  if (k == 13) KurzX = 0;
  if (k == 10) KurzY++;
  if (KurzX >= SMaxX) {
    KurzX = 0;
    KurzY++;
  }
  if (KurzY >= SMaxY) {
    scroll();
    KurzY = SMaxY - 1;
  }
}

void pwrite(const char* s) {
  for (; *s; s++) wrzn(static_cast<uint8_t>(*s));
}

void wrln() { pwrite("\r\n"); }

void writeln(const char* s) {
  pwrite(s);
  wrln();
}

uint8_t upcase(uint8_t k) { return (k >= 0x61 && k <= 0x7A) ? static_cast<uint8_t>(k - 0x20) : k; }

int32_t length(const char* s) {
  int32_t n = 0;
  while (n < 256 && s[n]) n++;
  return n;
}

const char* i2str(int32_t n) {
  std::snprintf(ps, sizeof ps, "%i", n);
  return ps;
}

const char* SpojStr(const char* a, const char* b) {
  std::memset(pom, 0, sizeof pom);
  int n = 0;
  while (n < 255 && a[n]) {
    pom[n] = a[n];
    n++;
  }
  if (n < 255)
    for (int i = 0; n < 255 && b[i]; i++) pom[n++] = b[i];
  pom[255] = 0;
  return pom;
}

void setfont1(uint8_t h, uint8_t block, uint16_t count, uint8_t first, const uint8_t* table, uint32_t offset) {
  for (uint32_t q = first; q < static_cast<uint32_t>(first) + count; q++)
    for (uint32_t r = 0; r < h; r++) {
      uint32_t at = (block * 256u + q) * 32u + r;
      if (at < MEMSIZE) mem[at] = table[offset + (q - first) * h + r];
    }
}
