#include "store/skore.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

const char VERSION_LINE[] = "tavrok-scores 1";
// A table is under 1 KiB; anything much larger is not one.
constexpr std::size_t MAX_TABLE_BYTES = 64 * 1024;
constexpr std::size_t MAX_NAME = 12, MAX_REPLAY = 200;

void append(std::string& message, const std::string& more) {
  message += (message.empty() ? "" : "; ") + more;
}

std::string errno_text(int err) { return std::strerror(err); }

// The path of `name` in the folder of `path`.
std::string sibling(const std::string& path, const std::string& name) {
#ifdef _WIN32
  std::size_t slash = path.find_last_of("/\\");
#else
  std::size_t slash = path.rfind('/');
#endif
  return slash == std::string::npos ? name : path.substr(0, slash + 1) + name;
}

std::string base_of(const std::string& path) { return path.substr(sibling(path, "").size()); }

// A replay is named by a file name alone: printable ASCII without spaces (the
// table's field separator), folder separators, a drive colon or "..".
bool valid_replay(const std::string& r) {
  if (r.empty() || r.size() > MAX_REPLAY || r == "-" || r.find("..") != std::string::npos) return false;
  for (char c : r)
    if (c <= ' ' || c > '~' || c == '/' || c == '\\' || c == ':') return false;
  return true;
}

// What keeps `z` from being stored, or "".
std::string entry_problem(const Zapis& z) {
  if (!valid_name(z.name)) return "not a valid name";
  if (!z.replay.empty() && !valid_replay(z.replay)) return "not a valid replay file name";
  return "";
}

// A decimal number without sign or leading zeros, at most `max`.
bool parse_number(const std::string& s, uint64_t max, uint64_t& v) {
  if (s.empty() || s.size() > 20 || (s.size() > 1 && s[0] == '0')) return false;
  v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    uint64_t d = static_cast<uint64_t>(c - '0');
    if (v > (max - d) / 10) return false;
    v = v * 10 + d;
  }
  return true;
}

// One entry line, "SCORE CAVE WHEN REPLAY NAME"; false with the reason.
bool parse_entry(const std::string& line, Zapis& z, std::string& why) {
  std::string f[4];
  std::size_t p = 0;
  for (std::string& field : f) {
    std::size_t space = line.find(' ', p);
    if (space == std::string::npos) {
      why = "too few fields";
      return false;
    }
    field = line.substr(p, space - p);
    p = space + 1;
  }
  z.name = line.substr(p);
  uint64_t v = 0;
  if (!parse_number(f[0], UINT32_MAX, v)) return why = "bad score", false;
  z.score = static_cast<uint32_t>(v);
  if (f[1] == "all") {
    z.cave = 0;
  } else {
    if (!parse_number(f[1], UINT32_MAX, v) || v == 0) return why = "bad cave", false;
    z.cave = static_cast<uint32_t>(v);
  }
  bool negative = !f[2].empty() && f[2][0] == '-';
  std::string magnitude = negative ? f[2].substr(1) : f[2];
  if (!parse_number(magnitude, negative ? uint64_t(INT64_MAX) + 1 : INT64_MAX, v) || (negative && v == 0))
    return why = "bad time", false;
  // Two's complement: 0 - 2^63 is INT64_MIN.
  z.when = negative ? static_cast<int64_t>(0 - v) : static_cast<int64_t>(v);
  z.replay = f[3] == "-" ? "" : f[3];
  why = entry_problem(z);
  return why.empty();
}

std::string local_stamp() {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
#ifdef _WIN32
  localtime_s(&tm, &now);
#else
  localtime_r(&now, &tm);
#endif
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y%m%d-%H%M%S", &tm);
  return buf;
}

enum class Read { missing, ok, bad };

#ifdef _WIN32

std::wstring wide(const std::string& s) {
  if (s.empty()) return L"";
  int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
  return w;
}

std::string narrow(const std::wstring& w) {
  if (w.empty()) return "";
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
  return s;
}

std::string win_error(DWORD err) {
  wchar_t* buf = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, err, 0, reinterpret_cast<LPWSTR>(&buf), 0, nullptr);
  std::string text = n ? narrow(std::wstring(buf, n)) : "error " + std::to_string(err);
  LocalFree(buf);
  // The system's texts end in ".\r\n".
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '.' || text.back() == ' '))
    text.pop_back();
  return text;
}

Read open_read(const std::string& path, FILE*& f, std::string& why) {
  std::wstring w = wide(path);
  DWORD attributes = GetFileAttributesW(w.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    DWORD err = GetLastError();
    if (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND) return Read::missing;
    why = "cannot be read: " + win_error(err);
    return Read::bad;
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    why = "a folder, not a file";
    return Read::bad;
  }
  f = _wfopen(w.c_str(), L"rb");
  if (!f) {
    why = "cannot be read: " + errno_text(errno);
    return Read::bad;
  }
  return Read::ok;
}

// Renames without replacing: false with `taken` set when `to` exists.
bool rename_new(const std::string& from, const std::string& to, bool& taken, std::string& reason) {
  if (MoveFileExW(wide(from).c_str(), wide(to).c_str(), 0)) return true;
  DWORD err = GetLastError();
  taken = err == ERROR_ALREADY_EXISTS || err == ERROR_FILE_EXISTS;
  reason = win_error(err);
  return false;
}

bool remove_file(const std::string& path, std::string& reason) {
  if (DeleteFileW(wide(path).c_str())) return true;
  DWORD err = GetLastError();
  if (err == ERROR_FILE_NOT_FOUND) return true;
  reason = win_error(err);
  return false;
}

// Holds an exclusive lock on the file at `path` (created if missing) from
// construction, waiting for it, to destruction. `error` says why it could
// not be had.
struct Lock {
  HANDLE h = INVALID_HANDLE_VALUE;
  std::string error;
  explicit Lock(const std::string& path) {
    h = CreateFileW(wide(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      error = win_error(GetLastError());
      return;
    }
    OVERLAPPED at{};
    if (!LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &at)) {
      error = win_error(GetLastError());
      CloseHandle(h);
      h = INVALID_HANDLE_VALUE;
    }
  }
  ~Lock() {
    if (h == INVALID_HANDLE_VALUE) return;
    OVERLAPPED at{};
    UnlockFileEx(h, 0, 1, 0, &at);
    CloseHandle(h);
  }
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;
};

#else

Read open_read(const std::string& path, FILE*& f, std::string& why) {
  // Not blocking: a pipe in the table's place must not hang the game.
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    // No file, or no folder to hold one: no table yet.
    if (errno == ENOENT || errno == ENOTDIR) return Read::missing;
    why = "cannot be read: " + errno_text(errno);
    return Read::bad;
  }
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    why = S_ISDIR(st.st_mode) ? "a folder, not a file" : "not a regular file";
    close(fd);
    return Read::bad;
  }
  f = fdopen(fd, "rb");
  if (!f) {
    why = "cannot be read: " + errno_text(errno);
    close(fd);
    return Read::bad;
  }
  return Read::ok;
}

std::string folder_of(const std::string& path) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool exists(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0;
}

bool rename_new(const std::string& from, const std::string& to, bool& taken, std::string& reason) {
  taken = exists(to);
  if (taken) return false;
  if (rename(from.c_str(), to.c_str()) == 0) return true;
  reason = errno_text(errno);
  return false;
}

bool remove_file(const std::string& path, std::string& reason) {
  if (unlink(path.c_str()) == 0 || errno == ENOENT) return true;
  reason = errno_text(errno);
  return false;
}

struct Lock {
  int fd = -1;
  std::string error;
  explicit Lock(const std::string& path) {
    fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
      error = errno_text(errno);
      return;
    }
    while (flock(fd, LOCK_EX) != 0) {
      if (errno == EINTR) continue;
      error = errno_text(errno);
      close(fd);
      fd = -1;
      return;
    }
  }
  ~Lock() {
    if (fd >= 0) close(fd);  // closing releases the lock
  }
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;
};

#endif

// The whole file at `path`; `why` says what is wrong with it.
Read read_whole(const std::string& path, std::string& text, std::string& why) {
  FILE* f = nullptr;
  Read r = open_read(path, f, why);
  if (r != Read::ok) return r;
  char buf[4096];
  std::size_t n;
  while (text.size() <= MAX_TABLE_BYTES && (n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
  bool failed = std::ferror(f);
  int err = errno;
  std::fclose(f);
  if (failed) {
    why = "cannot be read: " + errno_text(err);
    return Read::bad;
  }
  if (text.size() > MAX_TABLE_BYTES) {
    why = "too large";
    return Read::bad;
  }
  return Read::ok;
}

// load_table; `locked` when the caller holds the table's lock.
std::vector<Zapis> load(const std::string& path, std::string& message, bool locked) {
  std::string text, why;
  std::vector<Zapis> t;
  Read r = read_whole(path, text, why);
  if (r == Read::missing || (r == Read::ok && parse_table(text, t, why))) return t;
  if (!locked) {
    // Another process may be setting the same damage right: moved aside only
    // when it is still there with the lock held (taken or not, the reading
    // is done again).
    Lock lock(path + ".lock");
    return load(path, message, true);
  }
  std::string aside = path + ".damaged-" + local_stamp(), reason = "no free name";
  for (int n = 1; n < 1000; n++) {
    std::string to = n == 1 ? aside : aside + "-" + std::to_string(n);
    bool taken = false;
    if (rename_new(path, to, taken, reason)) {
      append(message, path + ": damaged (" + why + "); moved to " + to);
      return {};
    }
    if (!taken) break;
  }
  append(message, path + ": damaged (" + why + "); could not be moved aside: " + reason);
  return {};
}

}  // namespace

bool valid_name(const std::string& name) {
  if (name.empty() || name.size() > MAX_NAME) return false;
  for (char c : name) {
    bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ' ||
              c == '-' || c == '.';
    if (!ok) return false;
  }
  return true;
}

std::string table_name(const std::string& set, bool bonus) {
  return "scores-" + set + (bonus ? "-bl" : "") + ".txt";
}

int rank_of(const std::vector<Zapis>& t, uint32_t score) {
  std::size_t above = 0;
  while (above < t.size() && t[above].score >= score) above++;
  return above < TABLE_SIZE ? static_cast<int>(above + 1) : 0;
}

int insert(std::vector<Zapis>& t, const Zapis& z, std::vector<Zapis>* dropped) {
  int rank = rank_of(t, z.score);
  if (rank == 0) {
    if (dropped) dropped->push_back(z);
    return 0;
  }
  t.insert(t.begin() + (rank - 1), z);
  for (std::size_t i = TABLE_SIZE; i < t.size(); i++)
    if (dropped) dropped->push_back(t[i]);
  if (t.size() > TABLE_SIZE) t.resize(TABLE_SIZE);
  return rank;
}

std::string format_table(const std::vector<Zapis>& t) {
  std::string text = std::string(VERSION_LINE) + "\n";
  for (const Zapis& z : t) {
    text += std::to_string(z.score) + ' ' + (z.cave ? std::to_string(z.cave) : "all") + ' ' +
            std::to_string(z.when) + ' ' + (z.replay.empty() ? "-" : z.replay) + ' ' + z.name + '\n';
  }
  return text;
}

bool parse_table(const std::string& text, std::vector<Zapis>& t, std::string& why) {
  if (text.empty()) {
    why = "empty";
    return false;
  }
  std::vector<Zapis> entries;
  std::size_t pos = 0;
  for (int line = 1; pos < text.size(); line++) {
    std::string at = "line " + std::to_string(line) + ": ";
    std::size_t end = text.find('\n', pos);
    if (end == std::string::npos) return why = at + "cut short", false;
    std::string l = text.substr(pos, end - pos);
    pos = end + 1;
    if (line == 1) {
      if (l != VERSION_LINE) return why = at + "not \"" + VERSION_LINE + "\"", false;
      continue;
    }
    if (entries.size() == TABLE_SIZE) return why = at + "more than " + std::to_string(TABLE_SIZE) + " entries", false;
    Zapis z;
    if (!parse_entry(l, z, why)) return why = at + why, false;
    if (!entries.empty() && z.score > entries.back().score) return why = at + "out of order", false;
    entries.push_back(z);
  }
  t = std::move(entries);
  return true;
}

std::vector<Zapis> load_table(const std::string& path, std::string& message) {
  message.clear();
  return load(path, message, false);
}

#ifdef _WIN32

std::string data_dir() {
  const wchar_t* appdata = _wgetenv(L"APPDATA");
  if (!appdata || !*appdata) return "";
  return narrow(appdata) + "\\Tavrok";
}

bool make_data_dir(const std::string& dir, std::string& message) {
  if (dir.empty()) return message = "cannot create a folder without a name", false;
  std::wstring w = wide(dir);
  // Every leading part in turn; those that exist, or cannot be made (a drive,
  // a share), fail harmlessly and the last one decides.
  DWORD err = 0;
  for (std::size_t i = 1; i <= w.size(); i++) {
    if (i < w.size() && w[i] != L'\\' && w[i] != L'/') continue;
    if (w[i - 1] == L'\\' || w[i - 1] == L'/' || w[i - 1] == L':') continue;
    err = CreateDirectoryW(w.substr(0, i).c_str(), nullptr) ? 0 : GetLastError();
  }
  DWORD attributes = GetFileAttributesW(w.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return true;
  message = dir + ": cannot create the folder: " +
            (attributes != INVALID_FILE_ATTRIBUTES ? std::string("a file is in its place") : win_error(err));
  return false;
}

bool write_atomic(const std::string& path, const std::string& text, std::string& message) {
  static std::atomic<unsigned long> count{0};
  std::string tmp = path + ".tmp-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++count);
  std::wstring wtmp = wide(tmp);
  auto fail = [&](const char* step, DWORD err, bool made) {
    if (made) DeleteFileW(wtmp.c_str());
    message = path + ": cannot be written (" + step + "): " + win_error(err);
    return false;
  };
  HANDLE h = CreateFileW(wtmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return fail("new file", GetLastError(), false);
  std::size_t done = 0;
  while (done < text.size()) {
    DWORD n = 0;
    DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 1 << 20));
    if (!WriteFile(h, text.data() + done, chunk, &n, nullptr)) {
      DWORD err = GetLastError();
      CloseHandle(h);
      return fail("write", err, true);
    }
    done += n;
  }
  if (!FlushFileBuffers(h)) {
    DWORD err = GetLastError();
    CloseHandle(h);
    return fail("flush", err, true);
  }
  if (!CloseHandle(h)) return fail("close", GetLastError(), true);
  if (!MoveFileExW(wtmp.c_str(), wide(path).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return fail("rename", GetLastError(), true);
  return true;
}

#else

std::string data_dir() {
  auto under = [](const char* var, const char* rest) -> std::string {
    const char* v = std::getenv(var);
    if (!v || v[0] != '/') return "";
    std::string dir = v;
    while (!dir.empty() && dir.back() == '/') dir.pop_back();
    return dir + rest;
  };
  std::string dir = under("XDG_DATA_HOME", "/tavrok");
  return dir.empty() ? under("HOME", "/.local/share/tavrok") : dir;
}

bool make_data_dir(const std::string& dir, std::string& message) {
  if (dir.empty()) return message = "cannot create a folder without a name", false;
  // Every leading part in turn, made when missing.
  for (std::size_t i = 1; i <= dir.size(); i++) {
    if ((i < dir.size() && dir[i] != '/') || dir[i - 1] == '/') continue;
    std::string part = dir.substr(0, i);
    struct stat st {};
    int err = 0;
    if (stat(part.c_str(), &st) == 0) {
      err = S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
    } else if (errno != ENOENT) {
      err = errno;
    } else if (mkdir(part.c_str(), 0700) != 0) {
      err = errno;
    } else if (i == dir.size()) {
      chmod(part.c_str(), 0700);  // whatever the umask
    }
    if (err) {
      message = dir + ": cannot create the folder" + (i == dir.size() ? "" : " (at " + part + ")") + ": " +
                errno_text(err);
      return false;
    }
  }
  return true;
}

bool write_atomic(const std::string& path, const std::string& text, std::string& message) {
  static std::atomic<unsigned long> count{0};
  std::string tmp = path + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(++count);
  auto fail = [&](const char* step, int err) {
    unlink(tmp.c_str());
    message = path + ": cannot be written (" + step + "): " + errno_text(err);
    return false;
  };
  int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return message = path + ": cannot be written (new file): " + errno_text(errno), false;
  std::size_t done = 0;
  while (done < text.size()) {
    ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    done += static_cast<std::size_t>(n);
  }
  if (done < text.size() || fsync(fd) != 0) {
    int err = errno;
    close(fd);
    return fail(done < text.size() ? "write" : "flush", err);
  }
  if (close(fd) != 0) return fail("close", errno);
  if (rename(tmp.c_str(), path.c_str()) != 0) return fail("rename", errno);
  // The rename itself reaches the disk with the folder. Some file systems
  // cannot flush a folder (EINVAL); they keep it anyway.
  int folder = open(folder_of(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0 || (fsync(folder) != 0 && errno != EINVAL)) {
    int err = errno;
    if (folder >= 0) close(folder);
    message = path + ": written, but its folder could not be flushed: " + errno_text(err);
    return false;
  }
  close(folder);
  return true;
}

#endif

int add_entry(const std::string& path, const Zapis& z, std::string& message) {
  message.clear();
  std::string problem = entry_problem(z);
  if (!problem.empty()) return message = path + ": entry not added: " + problem, 0;
  Lock lock(path + ".lock");
  if (!lock.error.empty()) return message = path + ".lock: cannot be locked: " + lock.error, 0;
  std::vector<Zapis> t = load(path, message, true), dropped;
  int rank = insert(t, z, &dropped);
  std::string written;
  if (rank > 0 && !write_atomic(path, format_table(t), written)) {
    append(message, written);
    return 0;
  }
  // A replay still named by the table (a copied line) stays, and so does
  // anything of the table's own (PATH, PATH.lock...).
  for (const Zapis& d : dropped) {
    bool kept = d.replay.empty() || d.replay.rfind(base_of(path), 0) == 0;
    for (const Zapis& e : t) kept = kept || e.replay == d.replay;
    std::string replay = sibling(path, d.replay), reason;
    if (!kept && !remove_file(replay, reason)) append(message, replay + ": cannot be removed: " + reason);
  }
  return rank;
}
