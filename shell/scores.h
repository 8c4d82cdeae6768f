// The tables of best games in the game: which games are entered, the page
// that asks the player's name, the table on the title, and games played
// back from the tables and from replay files.
#pragma once

#include <string>
#include <vector>

#include "store/skore.h"

// The table of the games that ENTER on the title would start (the current
// set and choice of bonus caves): from its file, or from this session when
// its folder cannot be written.
std::vector<Zapis> current_table();

// Title keys 1 to 9 and 0: plays back entry n (1..10) of current_table().
// False when there is no such entry or its replay cannot be read (which one
// line on standard error then says).
bool play_entry(int n);

// Reads the replay in the file into zaznam_hry; false with `why` ("FILE:
// ...") when it cannot be read or understood.
bool read_replay(const std::string& path, std::string& why);
// Reads it and plays it back in the window.
bool play_file(const std::string& path, std::string& why);

// True when the game of the current record counts for the tables.
bool counted();
