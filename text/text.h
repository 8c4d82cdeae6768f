// The emulated text screen: a memory image laid out like PC video memory,
// with a 1-bit font area at offset 0 and the 80 x 50 text area (character,
// attribute) at offset 0x18000, and the routines that write text into it.
#pragma once

#include <array>
#include <cstdint>

constexpr int MEMSIZE = 131072;
constexpr int TEXT = 0x18000;  // offset of the text area in `mem`
constexpr int TCOLS = 80;
constexpr int TROWS = 50;

extern std::array<uint8_t, MEMSIZE> mem;

extern int32_t KurzX, KurzY;  // cursor, 0-based
extern int32_t SMaxX, SMaxY;  // window size in cells; SMaxX is also the row stride
extern uint8_t SColor;        // attribute of every character written and cell cleared
extern int32_t KdeJeFont;     // offset of the font block the text-font renderer reads

// Address of the character byte of text cell (x, y); the attribute follows it.
inline uint8_t* cell(int x, int y) { return &mem[TEXT + (y * TCOLS + x) * 2]; }

void Gclrscr();
void Ggotoxy(int32_t x, int32_t y);  // 1-based
void wrzn(uint8_t k);
void pwrite(const char* s);
void wrln();
void writeln(const char* s);
uint8_t upcase(uint8_t k);
int32_t length(const char* s);
const char* i2str(int32_t n);
const char* SpojStr(const char* a, const char* b);

// Loads `count` glyphs of `h` row bytes from table + offset into font block
// `block` of the font area, from character `first` on (32 bytes a character).
void setfont1(uint8_t h, uint8_t block, uint16_t count, uint8_t first, const uint8_t* table, uint32_t offset);
