#include "shell/texts.h"

#include <cstdio>
#include <ctime>
#include <string>

#include "cave/grid.h"
#include "cave/load.h"
#include "screen/grafika.h"
#include "text/text.h"

namespace {

// The product name in steel-wall letters, 11 rows high, strokes three
// characters wide, two spaces apart (the glyph of '%' is the steel tile in
// every style).
const char* const steel_letters[6][11] = {
    {"%%%%%%%", "%%%%%%%", "  %%%  ", "  %%%  ", "  %%%  ", "  %%%  ", "  %%%  ", "  %%%  ", "  %%%  ", "  %%%  ",
     "  %%%  "},
    {" %%%%%% ", "%%%%%%%%", "%%%  %%%", "%%%  %%%", "%%%  %%%", "%%%%%%%%", "%%%%%%%%", "%%%  %%%", "%%%  %%%",
     "%%%  %%%", "%%%  %%%"},
    {"%%%  %%%", "%%%  %%%", "%%%  %%%", "%%%  %%%", "%%%  %%%", "%%%  %%%", "%%%  %%%", " %%%%%% ", " %%%%%% ",
     "  %%%%  ", "   %%   "},
    {"%%%%%%% ", "%%%%%%%%", "%%%  %%%", "%%%  %%%", "%%%%%%%%", "%%%%%%% ", "%%% %%% ", "%%%  %%%", "%%%  %%%",
     "%%%  %%%", "%%%  %%%"},
    {" %%%%%% ", "%%%%%%%%", "%%%  %%%", "%%%  %%%", "%%%  %%%", "%%%  %%%", "%%%  %%%", "%%%  %%%", "%%%  %%%",
     "%%%%%%%%", " %%%%%% "},
    {"%%%  %%%", "%%%  %%%", "%%% %%% ", "%%%%%%  ", "%%%%%   ", "%%%%%   ", "%%%%%%  ", "%%% %%% ", "%%%  %%%",
     "%%%  %%%", "%%%  %%%"},
};

// Rows begin with ten spaces and are padded to 69 characters.
void write_banner1() {
  for (int r = 0; r < 11; r++) {
    char row[80];
    int n = 0;
    for (int i = 0; i < 10; i++) row[n++] = ' ';
    for (int l = 0; l < 6; l++) {
      for (const char* c = steel_letters[l][r]; *c; c++) row[n++] = *c;
      if (l < 5) row[n++] = ' ', row[n++] = ' ';
    }
    while (n < 69) row[n++] = ' ';
    row[n] = 0;
    writeln(row);
  }
}

void write_banner2() {
  // Letters C, A, V, E: three blocks wide, a space or two apart.
  static const char* const letters[4][5] = {
      {"XXX", "X..", "X..", "X..", "XXX"},
      {".X.", "X.X", "XXX", "X.X", "X.X"},
      {"X.X", "X.X", "X.X", "X.X", ".X."},
      {"XXX", "X..", "XX.", "X..", "XXX"},
  };
  static const int gap[3] = {2, 1, 2};
  for (int b = 0; b < 5; b++)
    for (int half = 0; half < 2; half++) {
      char row[56];
      int n = 0;
      for (int i = 0; i < 26; i++) row[n++] = ' ';
      for (int l = 0; l < 4; l++) {
        for (int c = 0; c < 3; c++) {
          bool on = letters[l][b][c] == 'X';
          row[n++] = on ? (half ? '\x23' : '\x21') : ' ';
          row[n++] = on ? (half ? '\x24' : '\x22') : ' ';
        }
        if (l < 3)
          for (int g = 0; g < gap[l]; g++) row[n++] = ' ';
      }
      row[n] = 0;
      writeln(row);
    }
}

void setup_head() {
  Gclrscr();
  wrln();
  writeln("SET UP:");
}

// `text` padded with spaces up to column `to`.
std::string pad(std::string text, size_t to) {
  text.resize(to, ' ');
  return text;
}

}  // namespace

void opening_text() {
  SColor = 15;
  Gclrscr();
  set_palette(oldtxt);
  auto line = [](uint8_t attr, const char* text) {
    SColor = attr;
    writeln(text);
  };
  wrln();
  line(15, "TAVROK v3.0p");
  wrln();
  line(7, "portable version with source codes");
  line(7, TERMS);
  wrln();
  line(9, "1994  the school version ............. written by the Tavrok crew");
  line(9, "2004  the PC version with four looks .. redrawn by the Tavrok crew");
  line(9, "2026  this portable version ........... rebuilt by the Tavrok team");
  line(9, "      caves, glyphs and music ......... made anew by the Tavrok team");
  wrln();
  line(7, "Original levels by");
  line(9, " the Tavrok team, cave by cave");
  wrln();
  line(7, "Additional cheats");
  line(10, " level cheat = F12, diamond cheat = F11, left shift = speedup timer");
  wrln();
  SColor = 10;
  pwrite("Select graphic style ");
  line(12, "(C64 / ZX Spectrum / My old 1994 school made version)");
  line(10, "using key \"+\". To play use cursor keys, \"`\"=kill.");
  wrln();
  wrln();
  line(15, "NOTE: this game is NOT exact 100% remake! This is the new game, which allows");
  line(15, "You to play old original levels form C64/ZX as a bonus. So excuse little");
  line(15, "different behaviour, colors and some levels details from C64/ZX.");
  wrln();
  line(10, "Press DEL if you want to run setup/main cheat menu or ENTER for start.");
}

void title_top() {
  Gclrscr();
  wrln();
  write_banner1();
  wrln();
  wrln();
  write_banner2();
  wrln();
  Ggotoxy(35, 26);
  writeln("version 3.0p");
  wrln();
  wrln();
  for (const char* credit : {"1994 .... TSC", "2004 .... TSC", "2026 .... TPT", "2026 .... TCT"}) {
    Ggotoxy(32, KurzY + 1);
    writeln(credit);
  }
  wrln();
  wrln();
}

void title_prompt() {
  Ggotoxy(20, KurzY + 1);
  writeln("Press ESC for exit or ENTER for start game");
  wrln();
  pwrite("In game use >PLUS< key for select 2004/C64/ZX Spectrum/school1994 graphics style");
}


void setup_text(int page) {
  switch (page) {
    case 1:
      setup_head();
      writeln("SET FULLSCREEN GRAPHIC MODE ? (Y/N)");
      break;
    case 2:
      setup_head();
      writeln("    (Keyboard:  CURSOR=move;ESC=Quit; ` =Exit level)");
      writeln("MICROSOFT MOUSE ? (Y/N)");
      break;
    case 3:
      setup_head();
      writeln((pad("1. Tavrok Classic", 34) + "(100% working)").c_str());
      writeln((pad("2. C64 Tavrok I.", 34) + "(100% working)").c_str());
      writeln((pad("3. C64 Tavrok Expert", 34) + "(100% working)").c_str());
      writeln((pad("4. C64 Tavrok Extreme", 34) + "(some levels bad, skip with F12!)").c_str());
      break;
    case 4: {
      // A double-line frame in the box characters of the text font.
      static const char* const labels[6] = {"1..UNLIMITED LIVES",       "2..UNLIMITED TIME",
                                            "3..BOULD./DIAM. INVULNERABILITY", "4..SPIDER INVULNERABILITY",
                                            "5..TURBOWATER",            "6..STARTING LEVEL"};
      const std::string edge(44, '\xCD');
      Gclrscr();
      wrln();
      writeln("        SELECT CHEAT AND PRESS ENTER");
      writeln(("\xC9" + edge + "\xBB").c_str());
      for (const char* label : labels) writeln(("\xBA" + pad(std::string("  ") + label, 44) + "\xBA").c_str());
      writeln(("\xC8" + edge + "\xBC").c_str());
      break;
    }
  }
}

void joystick_question() { writeln("JOYSTICK? (Y/N)"); }

void cheat_values() {
  const uint8_t flags[5] = {tziv, tcas, tsutr, tpavouk, tvodaturbo};
  for (int i = 0; i < 5; i++) {
    Ggotoxy(42, 4 + i);
    pwrite(flags[i] ? "YES" : "NO ");
  }
  // Two spaces cover the last digit of a longer number written before.
  Ggotoxy(42, 9);
  pwrite(i2str(static_cast<int32_t>(tstart)));
  pwrite("  ");
}

void title_table(const std::vector<Zapis>& t) {
  if (t.empty()) return;
  const uint8_t colour = SColor;
  SColor = 15;
  Ggotoxy(20, 44);
  pwrite("BEST GAMES    KEYS 1..9 AND 0 WATCH THEM AGAIN");
  SColor = 7;
  for (size_t i = 0; i < t.size(); i++) {
    const std::time_t when = static_cast<std::time_t>(t[i].when);
    char date[16] = "";
    if (const std::tm* local = std::localtime(&when)) std::strftime(date, sizeof date, "%Y.%m.%d", local);
    char line[64];
    std::snprintf(line, sizeof line, "%2zu %-12s %6u %3s %s", i + 1, t[i].name.c_str(), t[i].score,
                  t[i].cave ? std::to_string(t[i].cave).c_str() : "all", date);
    // The styles draw letters from '.' on; their dash is 0x7F.
    for (char* c = line; *c; c++)
      if (*c == '-') *c = '\x7F';
    Ggotoxy(i < 5 ? 2 : 42, static_cast<int32_t>(45 + i % 5));
    pwrite(line);
  }
  SColor = colour;
}

void name_page(int rank, uint32_t score, const std::string& name) {
  Gclrscr();
  wrln();
  writeln("A NEW BEST GAME!");
  wrln();
  writeln(("SCORE " + std::to_string(score) + ": PLACE " + std::to_string(rank) + " IN THE TABLE").c_str());
  wrln();
  writeln(("YOUR NAME: " + name + "_").c_str());
  wrln();
  writeln("    (letters, digits, space, - and . ; BACKSPACE=delete; ENTER=done)");
}

void not_entered_line() {
  Ggotoxy(19, 27);
  pwrite("Games with cheats are not entered in the table");
}
