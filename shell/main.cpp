// The program: start-up, the opening text, the setup menu, the music, the
// title loop and the way out.
#include <allegro.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "cave/grid.h"
#include "cave/hra.h"
#include "cave/load.h"
#include "cave/sets/sets.h"
#include "cave/view.h"
#include "cave/zaznam.h"
#include "pictures/intro.h"
#include "screen/datadirs.h"
#include "screen/grafika.h"
#include "screen/render.h"
#include "shell/input.h"
#include "shell/quit.h"
#include "shell/scores.h"
#include "shell/setup.h"
#include "shell/texts.h"
#include "shell/timer.h"
#include "text/text.h"

namespace {

MIDI* m1;

// The sound library reports every device it fails to open on standard
// error; a machine without a sound card simply plays no music.
int install_sound_quietly() {
  std::fflush(stderr);
  int saved = dup(STDERR_FILENO);
#ifdef _WIN32
  int null = open("NUL", O_WRONLY);
#else
  int null = open("/dev/null", O_WRONLY);
#endif
  if (null >= 0) {
    dup2(null, STDERR_FILENO);
    close(null);
  }
  // The theme sounds many voices at once: half the library's usual level
  // for each keeps their sum from clipping.
  set_volume_per_voice(2);
  int r = install_sound(DIGI_AUTODETECT, MIDI_AUTODETECT, nullptr);
  std::fflush(stderr);
  if (saved >= 0) {
    dup2(saved, STDERR_FILENO);
    close(saved);
  }
  return r;
}

// The theme, played by a hardware MIDI port where there is one, else by the
// library's software synthesizer from the instrument patches found beside
// the datafiles. The setting is made in memory: the game writes no file.
void music() {
  hudba = 1;
  std::string patches = optional_datafile(PATCHES_NAME);
  if (!patches.empty()) {
    // The synthesizer does not take a name relative to the working folder.
    char full[1024];
    canonicalize_filename(full, patches.c_str(), sizeof full);
    std::string cfg = "[sound]\npatches = " + std::string(full) + "\n";
    override_config_data(cfg.c_str(), static_cast<int>(cfg.size()));
  }
  if (install_sound_quietly() != 0) hudba = 0;
  if (hudba == 0) return;
  if (datafile2 && datafile2[0].type != DAT_END && datafile2[1].type == DAT_MIDI) {
    m1 = static_cast<MIDI*>(datafile2[1].dat);
    play_midi(m1, 1);
  } else {
    hudba = 0;  // no music to play
  }
}

// --help and --version answer on standard output without opening a window;
// the first of them among the arguments counts. Besides them the game takes
// only --replay FILE from the command line, and ignores other arguments.
bool answered(int argc, char** argv) {
  for (int i = 1; i < argc; i++) {
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("tavrok %s\n%s\n", TAVROK_VERSION, TERMS);
      return true;
    }
    if (std::strcmp(argv[i], "--help") == 0) {
      std::printf(
          "Usage: tavrok [--help | --version | --replay FILE]\n"
          "\n"
          "A single-player arcade cave game: dig through the caves, collect the diamonds\n"
          "each one needs before the time runs out, and walk into its exit.\n"
          "\n"
          "Cursor keys or the keypad's 8, 2, 4, 6 move, \"`\" gives up the life, \"=\" or\n"
          "the keypad's \"+\" switches the look, left shift runs the clock fast, ESC\n"
          "quits; F11 and F12 are cheats. Hold DEL on the opening text for the setup menu.\n"
          "\n"
          "--replay FILE plays a recorded game back (ESC ends it). The game keeps its\n"
          "tables of best games, their replays and the last game's in %s.\n"
          "It takes no other settings from the command line and ignores other arguments.\n"
          "It reads %s (needed), %s and %s from the first of\n"
          "these folders that holds each:\n",
          data_dir().empty() ? "no folder here" : data_dir().c_str(), DATAFILE_NAME, INTRO_DATAFILE_NAME, PATCHES_NAME);
      for (const std::string& folder : data_folders())
        std::printf("  %s\n", folder == "." ? "the working folder" : folder.c_str());
      std::printf("\nSee tavrok(6) for more.\n");
      return true;
    }
  }
  return false;
}

// The replay named by --replay FILE, read and checked before any window
// opens: one line and status 2 when it cannot be. Null without --replay.
const char* replay_arg(int argc, char** argv) {
  for (int i = 1; i < argc; i++) {
    if (std::strcmp(argv[i], "--replay") != 0) continue;
    if (i + 1 >= argc) {
      std::fprintf(stderr, "tavrok: --replay needs a FILE\n");
      std::exit(2);
    }
    std::string why;
    if (!read_replay(argv[i + 1], why)) {
      std::fprintf(stderr, "tavrok: %s\n", why.c_str());
      std::exit(2);
    }
    return argv[i + 1];
  }
  return nullptr;
}

}  // namespace

// The game's own platform calls between ticks.
bool po_ticku(Konec) { return true; }

#ifndef _WIN32
// The X11 window's icon (drawn by tavrok-icongen), which the library takes
// when it makes the window; the Windows program carries its icon as a
// resource.
extern void* allegro_icon;
extern const char* const tavrok_xpm[];
#endif

int main(int argc, char** argv) {
  if (answered(argc, argv)) return 0;
  const char* replay = replay_arg(argc, argv);
#ifndef _WIN32
  allegro_icon = const_cast<char**>(tavrok_xpm);
#endif
  aktF = 0;
  ForceSetFont = 0;
  EnabledChange = 0;
  InitGRF(timerCycle);
  LX = mouse_x;
  LY = mouse_y;
  quit_watch();
  init_mb800();
  if (replay) {
    ActiveEFont(EFontK, fpalK);
    ForceSetFont = 1;
    prehraj();
    shutdown();
    return 0;
  }
  opening_text();
  inpjoystick = 0;
  inpmouse = 0;
  nazev = tavrokc64_1.data();
  tsutr = tpavouk = tcas = tziv = 0;
  tstart = 1;
  tvodaturbo = 0;
  vpic_2font();
  while (!key[KEY_ENTER] && !key[KEY_SPACE] && !key[KEY_DEL] && !key[KEY_ESC]) idle();
  if (key[KEY_DEL]) {
    setup();
    quit_watch();
  }

  music();
  // Only from an intro datafile that was found sound at start-up.
  std::string intro = datafile_path(INTRO_DATAFILE_NAME) + "#I_JPG";
  intro_title(idle, datafile2 ? intro.c_str() : nullptr, view);
  screen_drawn_over();

  ActiveEFont(EFontK, fpalK);
  ForceSetFont = 1;
  EnabledChange = 0;
  titulky();
  shutdown();
  return 0;
}
END_OF_MAIN()
