// The high-score tables on disk: one small text file per cave set (and per
// set with bonus caves) in the player's data folder. A table is replaced
// whole through a temporary file and a rename, so a crash leaves either the
// old table or the new one; adding an entry holds a lock beside the table, so
// games ending together do not overwrite each other's entries. Paths are
// UTF-8 on every system.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One entry of a high-score table.
struct Zapis {
  std::string name;    // 1..12 characters: letters, digits, space, '-' and '.'
  uint32_t score = 0;
  uint32_t cave = 0;   // the cave reached; 0 when the whole set was completed
  int64_t when = 0;    // when the game ended, seconds since 1970 (UTC)
  std::string replay;  // file name (no folder) of the game's replay, in the data folder; may be empty
};
constexpr std::size_t TABLE_SIZE = 10;

// True when `name` is 1..12 characters, each an ASCII letter or digit, a
// space, '-' or '.'.
bool valid_name(const std::string& name);

// The folder of the tables and replays: $XDG_DATA_HOME/tavrok when that is
// set and absolute, else $HOME/.local/share/tavrok; on Windows
// %APPDATA%\Tavrok. Empty when none can be had. The folder is not created.
std::string data_dir();

// Creates `dir` and its missing parents (on Debian with mode 0700). True when
// it exists as a folder afterwards; else false and a one-line `message`
// naming the folder and the reason.
bool make_data_dir(const std::string& dir, std::string& message);

// The file name of a set's table: "scores-SET.txt", "scores-SET-bl.txt" when
// played with bonus caves.
std::string table_name(const std::string& set, bool bonus);

// The rank 1..TABLE_SIZE that `score` would take in `t` (below every entry
// with an equal or higher score), 0 when it does not reach the table.
int rank_of(const std::vector<Zapis>& t, uint32_t score);

// Puts `z` at its rank_of place and cuts `t` to TABLE_SIZE entries; the
// entries cut off are appended to *dropped when it is given. Returns the rank,
// or 0 when `z` does not reach the table: then `t` is unchanged and `z` itself
// goes to *dropped.
int insert(std::vector<Zapis>& t, const Zapis& z, std::vector<Zapis>* dropped);

// The table as text: the line "tavrok-scores 1", then one line per entry,
// "SCORE CAVE WHEN REPLAY NAME", CAVE "all" for 0, REPLAY "-" when empty.
std::string format_table(const std::vector<Zapis>& t);

// Reads the text of format_table, strictly: the version line, at most
// TABLE_SIZE entries in table order, numbers in range, valid names, replay
// names without a folder. False on anything else, with a short reason in
// `why` ("line 3: ...") and `t` unchanged.
bool parse_table(const std::string& text, std::vector<Zapis>& t, std::string& why);

// The table stored at `path`. A missing file is an empty table and no
// message. A file that cannot be read or parsed, or something else in the
// table's place, is renamed aside to PATH.damaged-YYYYMMDD-HHMMSS (local time,
// with -2, -3... when taken) and reported in `message` as
// "PATH: damaged (WHY); moved to NEWPATH"; the table is then empty.
std::vector<Zapis> load_table(const std::string& path, std::string& message);

// Replaces the file at `path` by `text` so that it is never lost or
// half-written: a new owner-only temporary file in the same folder, flushed
// to disk, then renamed over `path` (and, on Debian, the folder flushed).
// False and a one-line `message` naming the path and the reason on failure;
// `path` is then left as it was, unless only the folder's flush failed.
bool write_atomic(const std::string& path, const std::string& text, std::string& message);

// Adds `z` to the table at `path`, holding an exclusive lock on PATH.lock
// (waiting for it) from reading the table to writing it back. The replay
// files of the entries that fall off the table, `z`'s own among them when it
// does not reach the table, are removed from the table's folder. Returns the
// rank, 0 when `z` did not reach the table or could not be added. `message`
// is one line on any trouble (a damaged table among them), empty otherwise.
int add_entry(const std::string& path, const Zapis& z, std::string& message);
