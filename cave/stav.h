// The status line: score, lives, diamonds needed, cave number and time in
// the top five rows of the text screen.
#pragma once

#include <cstdint>

// Writes the five digits of value into columns 0..4 of a text row, only the
// character bytes.
void cislo5(int row, int64_t value);

// Writes the time field from `cas`: whole units of 40 ticks.
void cas_display();

void stav();
