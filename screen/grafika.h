// Graphics start-up and shutdown and the datafiles.
#pragma once

#include <allegro.h>

#include <cstdint>

#include "screen/styly.h"

extern uint8_t FScr;    // 1 while the screen is in full-screen mode
extern DATAFILE* datafile;
extern DATAFILE* datafile2;

constexpr const char* DATAFILE_NAME = "TavrokDF.dat";
constexpr const char* INTRO_DATAFILE_NAME = "TavrokIN.dat";

void InitGRF();
void InitGFX();
[[noreturn]] void GFXfail();
void ExitGRF();
