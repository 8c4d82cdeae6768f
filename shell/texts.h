// The texts of the opening, title and setup screens, written into the text
// area; the caller draws them. The game and the screenshot checks share them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/skore.h"

// The terms of use, a line of the opening text; the licence in LICENSE says
// the same at length.
constexpr const char* TERMS = "Free to play, copy and change; it comes with no warranty of any kind.";

void opening_text();

// The title screen's text, written in its two steps.
void title_top();
void title_prompt();

// The setup menu's pages 1 to 4, each from a cleared screen; page 2 without
// its joystick question, page 4 without the cheats' values.
void setup_text(int page);
void joystick_question();
void cheat_values();  // the current cheats and starting cave on page 4

// The title's table of best games, below its lines: two columns of five,
// rank, name, score, the cave reached ("all": the whole set) and the date.
void title_table(const std::vector<Zapis>& t);
// The page that asks the name for a place in the table, `name` as typed.
void name_page(int rank, uint32_t score, const std::string& name);
// The game-over and completion screens' line for a game that is not entered.
void not_entered_line();
