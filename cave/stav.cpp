#include "cave/stav.h"

#include "cave/grid.h"
#include "cave/load.h"
#include "text/text.h"

void cislo5(int row, int64_t value) {
  for (int k = 4; k >= 0; k--) {
    *cell(k, row) = static_cast<uint8_t>(value % 10 + 48);
    value /= 10;
  }
}

void cas_display() { cislo5(4, cas / 40); }

void stav() {
  static constexpr const char* labels[5] = {"Score", "Lives", "Need", "Sector", "Time"};
  for (int row = 0; row < 5; row++)
    for (int i = 0; labels[row][i]; i++) *cell(6 + i, row) = static_cast<uint8_t>(labels[row][i]);
  cislo5(0, sc);
  cislo5(1, zi);
  cislo5(2, ch);
  cislo5(3, aksektor);
  cas_display();
}
