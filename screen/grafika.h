// Graphics start-up and shutdown and the datafiles.
#pragma once

#include <allegro.h>

#include <cstdint>
#include <string>

#include "screen/styly.h"

extern uint8_t FScr;    // 1 while the screen is in full-screen mode
// The scale k: the 640 x 480 picture reaches the screen with each of its
// pixels a k x k block.
extern int ScrK;
// Where the picture is on the screen: the whole window, or 640k x 480k in
// the middle of a full screen with black borders around it.
extern BITMAP* view;
// Sets a graphics mode: the library's set_gfx_mode, replaceable in tests.
extern int (*gfx_mode)(int card, int w, int h, int v_w, int v_h);
extern DATAFILE* datafile;
extern DATAFILE* datafile2;

constexpr const char* DATAFILE_NAME = "TavrokDF.dat";
constexpr const char* INTRO_DATAFILE_NAME = "TavrokIN.dat";
// Instrument patches for the software MIDI synthesizer.
constexpr const char* PATCHES_NAME = "TavrokPT.dat";

// Where a datafile is: the first of the folders screen/datadirs.h names that
// holds it (the name itself when none does).
std::string datafile_path(const char* name);

// The path of an optional datafile that is there and sound. Empty when it is
// missing, or when it is refused, which one line on standard error then
// says, naming the file and the reason.
std::string optional_datafile(const char* name);

// Starts the library, the input devices and the timer (calling `timer` every
// 100 ms), opens the screen and loads the datafiles and styles.
void InitGRF(void (*timer)());
// Opens the window at the scale choose_k gives for the desktop, else at the
// next smaller one, down to 1; full screen when none is granted.
void InitGFX();
// The scale for a desktop of w x h pixels (0 x 0 when unknown): the largest
// k >= 1 whose 640k x 480k window fits within 90 % of both. `asked` (the
// TAVROK_SCALE environment variable, or null) overrides it with 1 to 8; any
// other value is reported in one line on standard error and ignored.
int choose_k(int w, int h, const char* asked);
// Copies rows 0..rows-1 of a 640 pixel wide picture to the screen at scale
// k: those that differ from the picture copied last.
void to_screen(BITMAP* picture, int rows);
// Something else drew on the screen (the intro): the next copy is whole.
void screen_drawn_over();
// The setup menu's switch to full screen, at the desktop's own size (no
// change of video mode) with the picture at the largest scale that fits,
// centred. When it is refused the window is
// opened again (FScr stays 0); only if that fails too does the program end
// through GFXfail. Either way the text style and its palette are made current.
void go_fullscreen();
[[noreturn]] void GFXfail();
void ExitGRF();
