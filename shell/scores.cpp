#include "shell/scores.h"

#include <allegro.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <map>
#include <sstream>
#include <unistd.h>

#include "cave/grid.h"
#include "cave/load.h"
#include "cave/sets/sets.h"
#include "cave/zaznam.h"
#include "screen/render.h"
#include "screen/styly.h"
#include "shell/texts.h"
#include "shell/timer.h"
#include "text/text.h"

namespace {

// What this session could not write: tables by file name, replays by name.
std::map<std::string, std::vector<Zapis>> session_tables;
std::map<std::string, std::string> session_replays;
int replay_count;

// A trouble with the data folder or its files, said once in a line.
void say(const std::string& message) {
  if (!message.empty()) std::fprintf(stderr, "tavrok: %s\n", message.c_str());
}

// The data folder; made when something is first written there (`make`).
// Empty when there is none, or when it could not be made.
std::string folder(bool make = false) {
  static std::string dir = data_dir();
  static bool told, made;
  if (dir.empty() && !told && !made) {
    told = true;
    say("no folder for the tables of best games (neither XDG_DATA_HOME nor HOME is set); they last this session only");
  }
  if (make && !made && !dir.empty()) {
    made = true;
    std::string message;
    if (!make_data_dir(dir, message)) {
      say(message + "; the tables of best games last this session only");
      dir.clear();
    }
  }
  return dir;
}

std::string table_file() {
  const CaveSet* s = set_of(nazev);
  return table_name(s ? s->name : "", bl != 0);
}

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return in ? s.str() : "";
}

// The last name entered, else the login name, cut to what a name may hold.
std::string offered_name() {
  std::string name = folder().empty() ? "" : slurp(folder() + "/name.txt");
  if (!valid_name(name)) {
    const char* login = std::getenv("USER");
    if (!login) login = std::getenv("USERNAME");
    name.clear();
    for (const char* c = login ? login : ""; *c && name.size() < 12; c++)
      if (valid_name(std::string(1, *c))) name += *c;
  }
  return valid_name(name) ? name : "";
}

// The page that asks for the name: typed keys as characters, each press
// once; Backspace deletes, ENTER or ESC accepts.
std::string ask_name(int rank, uint32_t score) {
  std::string name = offered_name();
  ActiveEFont(EFontK, fpalK);
  set_keyboard_rate(0, 0);
  clear_keybuf();
  while (true) {
    name_page(rank, score, name);
    vpic_1font();
    idle();
    bool done = false;
    while (keypressed() && !done) {
      const int k = readkey();
      const int code = k >> 8;
      const char c = static_cast<char>(k & 0xFF);
      if (code == KEY_ENTER || code == KEY_ENTER_PAD || code == KEY_ESC)
        done = true;
      else if (code == KEY_BACKSPACE && !name.empty())
        name.pop_back();
      else if (name.size() < 12 && valid_name(std::string(1, c)))
        name += c;
    }
    if (done) break;
  }
  set_keyboard_rate(250, 33);
  while (key[KEY_ENTER] || key[KEY_ENTER_PAD] || key[KEY_ESC]) idle();
  styl(aktF);
  if (!valid_name(name)) name = "player";
  return name;
}

// Keeps `text` as the replay `name` in the data folder, or for the session.
void keep_replay(const std::string& name, const std::string& text) {
  std::string message;
  if (folder(true).empty() || !write_atomic(folder() + "/" + name, text, message)) {
    say(message);
    session_replays[name] = text;
  }
}

}  // namespace

bool counted() { return bez_pomoci(zaznam_hry); }

std::vector<Zapis> current_table() {
  const std::string file = table_file();
  auto kept = session_tables.find(file);
  if (kept != session_tables.end() || folder().empty()) return kept != session_tables.end() ? kept->second : std::vector<Zapis>{};
  std::string message;
  std::vector<Zapis> t = load_table(folder() + "/" + file, message);
  say(message);
  return t;
}

bool read_replay(const std::string& path, std::string& why) {
  auto kept = session_replays.find(path);
  const std::string text = kept != session_replays.end() ? kept->second : slurp(path);
  if (text.empty()) {
    why = path + ": cannot be read";
    return false;
  }
  if (!zaznam_cti(text, zaznam_hry, why)) {
    why = path + ": " + why;
    return false;
  }
  return true;
}

bool play_file(const std::string& path, std::string& why) {
  if (!read_replay(path, why)) return false;
  prehraj();
  // An ESC that ended it is let go before anything else reads it.
  while (key[KEY_ESC]) idle();
  return true;
}

bool play_entry(int n) {
  const std::vector<Zapis> t = current_table();
  if (n < 1 || n > static_cast<int>(t.size()) || t[n - 1].replay.empty()) return false;
  const std::string& r = t[n - 1].replay;
  std::string why;
  if (play_file(session_replays.count(r) ? r : folder() + "/" + r, why)) return true;
  say(why);
  return false;
}

// After every game: its replay is kept as the last one; a game that counts,
// ended by game over or the end of the set, with a score that reaches its
// table, asks for the name and is entered with its replay.
void po_hre(Konec k) {
  const std::string text = zaznam_text(zaznam_hry);
  keep_replay("last-replay.txt", text);
  if (!counted() || (k != PROHRAL && k != PROSEL)) return;
  const int rank = rank_of(current_table(), sc);
  if (rank == 0) return;
  Zapis z;
  z.name = ask_name(rank, sc);
  z.score = sc;
  z.cave = k == PROSEL ? 0 : aksektor;
  z.when = static_cast<int64_t>(std::time(nullptr));
  z.replay = "replay-" + std::to_string(z.when) + "-" + std::to_string(getpid()) + "-" +
             std::to_string(++replay_count) + ".txt";
  keep_replay(z.replay, text);
  std::string message;
  const std::string file = table_file();
  if (!folder().empty()) {
    write_atomic(folder() + "/name.txt", z.name, message);
    say(message);
    message.clear();
    if (session_tables.count(file) == 0) {
      const int got = add_entry(folder() + "/" + file, z, message);
      say(message);
      if (got > 0 || message.empty()) return;
    }
  }
  // Kept for the session: what the title showed, with this game in it.
  std::vector<Zapis> t = current_table();
  insert(t, z, nullptr);
  session_tables[file] = t;
}
