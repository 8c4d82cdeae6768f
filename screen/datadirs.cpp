#include "screen/datadirs.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

// Set by the build: the data folder relative to the program's folder once
// installed (../share/games/tavrok for the usual layout).
#ifndef TAVROK_DATA_RELATIVE
#error "TAVROK_DATA_RELATIVE must name the installed data folder relative to the program"
#endif

#ifdef _WIN32
// On Windows the data lies beside the program, which is not installed
// elsewhere: the working folder, then the program's folder.
std::vector<std::string> data_folders() {
  std::vector<std::string> folders{"."};
  std::wstring exe(32768, L'\0');
  DWORD n = GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size()));
  if (n == 0 || n >= exe.size()) return folders;
  exe.resize(n);
  folders.push_back(fs::path(exe).parent_path().string());
  return folders;
}
#else
std::vector<std::string> data_folders() {
  std::vector<std::string> folders{"."};
  std::error_code err;
  // The program's real path: a link to it (/usr/games/x -> ...) is followed.
  fs::path exe = fs::read_symlink("/proc/self/exe", err);
  if (err || exe.empty()) return folders;
  fs::path own = exe.parent_path();
  folders.push_back(own.string());
  folders.push_back((own / TAVROK_DATA_RELATIVE).lexically_normal().string());
  // lexically_normal keeps a trailing separator after "..": drop it.
  std::string& last = folders.back();
  if (last.size() > 1 && last.back() == '/') last.pop_back();
  return folders;
}
#endif

std::string find_data(const std::string& name) {
  std::error_code err;
  for (const std::string& folder : data_folders()) {
    fs::path p = folder == "." ? fs::path(name) : fs::path(folder) / name;
    if (fs::is_regular_file(p, err)) return p.string();
  }
  return "";
}

std::string not_found_text() {
  std::vector<std::string> folders = data_folders();
  std::string text = "not found in the working folder";
  for (size_t i = 1; i < folders.size(); i++) text += (i + 1 == folders.size() ? " or " : ", ") + folders[i];
  return text;
}
