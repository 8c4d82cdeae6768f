#include "shell/quit.h"

#include <allegro.h>
#ifdef _WIN32
#include <winalleg.h>
#else
#include <X11/Xlib.h>
#include <unistd.h>
#endif

#include <atomic>
#include <csignal>
#include <cstdlib>

#include "screen/grafika.h"

uint8_t hudba;

namespace {

// 0: go on; -1: the window was closed; else the signal that arrived. Set by
// the library's thread or a signal handler, read by the main thread.
std::atomic<int> wanted{0};
static_assert(std::atomic<int>::is_always_lock_free, "set from a signal handler");

void on_close() { wanted = -1; }
END_OF_FUNCTION(on_close)

#ifdef _WIN32
// Ctrl+C, Ctrl+Break or the console window closed: the game ends as from the
// window's close button. The handler runs in a thread of its own; for a
// closed console the system ends the process once it returns, so it waits
// there for the main thread to end it.
BOOL WINAPI on_console(DWORD event) {
  wanted = -1;
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) Sleep(INFINITE);
  return TRUE;
}
#else
void on_signal(int sig) { wanted = sig; }

// The display is gone: nothing can be shut down through it, and the thread
// that found out may hold the library's locks, so the process ends here.
int on_lost_display(Display*) {
  static const char msg[] = "tavrok: lost the connection to the display\n";
  ssize_t n = write(STDERR_FILENO, msg, sizeof msg - 1);
  (void)n;
  _exit(1);
}
#endif

}  // namespace

void shutdown() {
  if (hudba == 1) stop_midi();
  ExitGRF();
}

void quit_watch() {
  LOCK_VARIABLE(wanted);
  LOCK_FUNCTION(on_close);
  set_close_button_callback(on_close);
#ifdef _WIN32
  SetConsoleCtrlHandler(on_console, TRUE);
#else
  struct sigaction sa {};
  sa.sa_handler = on_signal;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGINT, &sa, nullptr);
  XSetIOErrorHandler(on_lost_display);
#endif
}

void quit_check() {
  int w = wanted.load();
  if (w == 0) return;
  shutdown();
  if (w > 0) {
    // Ended by a signal: say so to whoever started the program.
    std::signal(w, SIG_DFL);
    std::raise(w);
  }
  std::exit(0);
}
