// Leaving the program: ESC, the window's close button, SIGTERM and SIGINT
// (on Windows Ctrl+C and the console's close) all end it the same way, from the main thread, with the music stopped, the
// library shut down and the closing line printed.
#pragma once

#include <cstdint>

extern uint8_t hudba;  // 1: the music plays and is stopped at shutdown

// Stops the music and shuts the library down (prints the closing line).
void shutdown();

// Makes the close button, SIGTERM, SIGINT and a lost display (on Windows
// the console's Ctrl+C and close) end the program. Call after every change
// of the graphics mode, which may put the library's own handlers back.
void quit_watch();

// Ends the program if a close or a signal was asked for; every poll of the
// main thread calls it.
void quit_check();
