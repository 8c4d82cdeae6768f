// The graphic styles: the glyph sheets and palettes of the main datafile, the
// font records the renderers draw with, and the back buffer they draw into.
#pragma once

#include <allegro.h>

#include <cstdint>

// A style's four glyph sheets, indexed directly by the frame number 1..4.
struct EFont {
  BITMAP* f[5];
};

extern BITMAP* sbuffer;  // the back buffer, 640 x 480, 8-bit
extern PALETTE oldtxt;  // the palette right after the graphics mode was set
extern PALETTE fpal04, fpal64, fpalZX, fpal94, fpalK;
extern EFont EFont04, EFont64, EFontZX, EFont94, EFontK;
extern EFont AktEFont;  // the sheets the renderer draws with

constexpr int DF_OBJECTS = 22;  // objects the main datafile must hold

// Reads a datafile's structure without building its objects, since the
// library's loader does not survive a damaged file. Returns an empty string
// if the file is stored uncompressed and every object is whole: bitmaps,
// palettes and MIDI music as the library reads them, anything else as plain
// data, never an object the library would build from its contents (fonts,
// samples, sprites, nested datafiles). Else what is wrong.
const char* datafile_sound(const char* path);

// Checks the main datafile's objects (count, types, sizes, depths). Returns
// an empty string if it is sound, else what is wrong, naming the object.
const char* check_datafile(const DATAFILE* df);

// Fills the five font records and palettes from a checked main datafile and
// recolours the lettering of the 2004 style.
void load_styles(const DATAFILE* df);

// For the tools that draw without a screen: reads, checks and loads the
// styles of the datafile at path and makes the back buffer. Returns an empty
// string and the datafile in *loaded (to unload when done), or what is
// wrong with the file (which is then left unloaded).
const char* open_styles(const char* path, DATAFILE** loaded);

void ActiveEFont(const EFont& record, const PALETTE palette);
void init_font(EFont& record);

// Makes style number n current: 0 2004, 1 C64, 2 ZX, 3 1994.
void styl(uint8_t n);
