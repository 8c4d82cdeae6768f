// The score store: where entries go, the table's text, damaged tables, the
// data folder and writing. Crashes and games ending together: tests/store.sh.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <regex>

#include "store/skore.h"
#include "tests/files.h"

namespace fs = std::filesystem;

namespace {

Zapis entry(uint32_t score, const std::string& name, const std::string& replay = "") {
  return {name, score, 3, 1700000000, replay};
}

// A table of `scores`, the entries named a, b, c...
std::vector<Zapis> lettered(const std::vector<uint32_t>& scores) {
  std::vector<Zapis> t;
  for (uint32_t s : scores) t.push_back(entry(s, std::string(1, static_cast<char>('a' + t.size()))));
  return t;
}

std::string names(const std::vector<Zapis>& t) {
  std::string s;
  for (const Zapis& z : t) s += (s.empty() ? "" : " ") + z.name;
  return s;
}

// An empty folder of this process's own.
std::string fresh_dir(const std::string& name) {
  fs::path p = ::testing::TempDir() + std::to_string(getpid()) + "-" + name;
  fs::remove_all(p);
  fs::create_directories(p);
  return p.string();
}

const std::vector<uint32_t> full = {100, 90, 80, 70, 60, 50, 40, 30, 20, 10};

TEST(Store, WhereAnEntryGoes) {
  const struct { std::vector<uint32_t> table; uint32_t score; int rank; std::string after, dropped; } cases[] = {
      {{}, 5, 1, "new", ""},
      {{30, 20, 10}, 20, 3, "a b new c", ""},  // after the equal entry
      {full, 200, 1, "new a b c d e f g h i", "j"},
      {full, 55, 6, "a b c d e new f g h i", "j"},
      {full, 11, 10, "a b c d e f g h i new", "j"},
      {full, 10, 0, "a b c d e f g h i j", "new"},  // equal to the 10th
      {full, 5, 0, "a b c d e f g h i j", "new"},
      {{9, 8, 7, 6, 5, 4, 3, 2, 1}, 0, 10, "a b c d e f g h i new", ""},
  };
  for (const auto& c : cases) {
    std::vector<Zapis> t = lettered(c.table), dropped;
    EXPECT_EQ(rank_of(t, c.score), c.rank) << c.after;
    EXPECT_EQ(insert(t, entry(c.score, "new"), &dropped), c.rank) << c.after;
    EXPECT_EQ(names(t), c.after);
    EXPECT_EQ(names(dropped), c.dropped) << c.after;
  }
}

TEST(Store, TableText) {
  std::vector<Zapis> t = {entry(UINT32_MAX, "Jo Ann-2.", "r1.rep"), {"x", 7, 0, INT64_MIN, ""},
                          {" y ", 7, 1, INT64_MAX, ""}};
  const std::string text =
      "tavrok-scores 1\n4294967295 3 1700000000 r1.rep Jo Ann-2.\n7 all -9223372036854775808 - x\n"
      "7 1 9223372036854775807 -  y \n";
  EXPECT_EQ(format_table(t), text);
  std::vector<Zapis> back;
  std::string why;
  ASSERT_TRUE(parse_table(text, back, why)) << why;
  EXPECT_EQ(format_table(back), text);
}

TEST(Store, ParseRejects) {
  std::mt19937 gen(7);
  std::string noise(300, '\0'), v = "tavrok-scores 1\n", eleven = v;
  for (char& c : noise) c = static_cast<char>(gen());
  for (int i = 0; i < 11; i++) eleven += "5 1 0 - p\n";
  const struct { std::string text, why; } cases[] = {
      {"", "empty"},
      {"tavrok-scores 2\n", "line 1: "},
      {v + "100 3 5 - bo", "line 2: cut short"},
      {noise, "line 1: "},
      {v + "100 3 5 - b@d\n", "line 2: not a valid name"},
      {v + "100 3 5 - thirteen char\n", "line 2: not a valid name"},
      {eleven, "line 12: more than 10"},
      {v + "5 1 0 - p\n6 1 0 - q\n", "line 3: out of order"},
      {v + "5 1 0 a/b.rep p\n", "line 2: not a valid replay"},
      {v + "4294967296 1 0 - p\n", "line 2: bad score"},
  };
  for (const auto& c : cases) {
    std::vector<Zapis> t = lettered({1});
    std::string why;
    EXPECT_FALSE(parse_table(c.text, t, why)) << c.why;
    EXPECT_EQ(why.rfind(c.why, 0), 0u) << why;
    EXPECT_EQ(names(t), "a");
  }
}

TEST(Store, DamagedTablesAreMovedAside) {
  std::string dir = fresh_dir("damaged"), path = dir + "/scores-x.txt", message;
  EXPECT_TRUE(load_table(path, message).empty());  // missing: no trouble
  EXPECT_EQ(message, "");
  std::vector<std::string> asides;
  for (const std::string bytes : {"tavrok-scores 1\n100 3 5 - bo", "\x7f\x45\x4c\x46\x02\x01", "", "folder"}) {
    if (bytes == "folder") fs::create_directories(path + "/inside");
    if (bytes != "folder") std::ofstream(path, std::ios::binary) << bytes;
    EXPECT_TRUE(load_table(path, message).empty());
    std::smatch m;
    ASSERT_TRUE(std::regex_match(message, m, std::regex("(.*): damaged \\(.+\\); moved to (.*)"))) << message;
    EXPECT_EQ(m[1], path);
    EXPECT_TRUE(std::regex_match(m[2].str(), std::regex(path + "\\.damaged-[0-9]{8}-[0-9]{6}(-[0-9]+)?")));
    EXPECT_FALSE(fs::exists(path)) << bytes;
    EXPECT_TRUE(bytes == "folder" ? fs::is_directory(m[2].str() + "/inside") : slurp(m[2]) == bytes);
    asides.push_back(m[2]);
  }
  std::sort(asides.begin(), asides.end());
  EXPECT_EQ(std::unique(asides.begin(), asides.end()), asides.end());  // none moved over another
}

TEST(Store, DataDir) {
  const struct { const char *xdg, *home, *dir; } cases[] = {
      {"/x/data/", "/h", "/x/data/tavrok"},      {nullptr, "/h", "/h/.local/share/tavrok"},
      {"rel/data", "/h", "/h/.local/share/tavrok"}, {nullptr, nullptr, ""},
  };
  for (const auto& c : cases) {
    c.xdg ? setenv("XDG_DATA_HOME", c.xdg, 1) : unsetenv("XDG_DATA_HOME");
    c.home ? setenv("HOME", c.home, 1) : unsetenv("HOME");
    EXPECT_EQ(data_dir(), c.dir) << (c.xdg ? c.xdg : "unset");
  }
}

TEST(Store, MakeDataDir) {
  std::string base = fresh_dir("make"), dir = base + "/a/b/tavrok", message;
  ASSERT_TRUE(make_data_dir(dir, message)) << message;
  struct stat st {};
  ASSERT_EQ(stat(dir.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0700u);
  std::ofstream(base + "/file") << "x";
  EXPECT_FALSE(make_data_dir(base + "/file/tavrok", message));
  EXPECT_EQ(message, base + "/file/tavrok: cannot create the folder (at " + base + "/file): Not a directory");
}

TEST(Store, WriteAtomic) {
  std::string dir = fresh_dir("write"), path = dir + "/t.txt", message;
  ASSERT_TRUE(write_atomic(path, "one\n", message) && write_atomic(path, "two\n", message)) << message;
  EXPECT_EQ(slurp(path), "two\n");
  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 1);  // no temporary file left
  // Root writes into any folder, so the refusal cannot be seen as root.
  if (geteuid() == 0) GTEST_SKIP() << "running as root: a read-only folder is writable";
  fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_FALSE(write_atomic(path, "three\n", message));
  fs::permissions(dir, fs::perms::owner_all);
  EXPECT_EQ(message.rfind(path + ": cannot be written", 0), 0u) << message;
  EXPECT_EQ(slurp(path), "two\n");
}

TEST(Store, AddEntryRemovesDroppedReplays) {
  std::string dir = fresh_dir("add"), path = dir + "/" + table_name("s1", true), message;
  EXPECT_EQ(path, dir + "/scores-s1-bl.txt");
  const std::pair<uint32_t, int> adds[] = {{100, 1}, {90, 2}, {80, 3}, {70, 4}, {60, 5}, {50, 6},
                                           {40, 7},  {30, 8}, {20, 9}, {10, 10}, {55, 6}, {10, 0}};
  for (auto [score, rank] : adds) {
    std::string replay = "r" + std::to_string(score) + ".rep";
    std::ofstream(dir + "/" + replay) << "keys";
    EXPECT_EQ(add_entry(path, entry(score, "p", replay), message), rank) << score;
  }
  EXPECT_EQ(message, "");
  EXPECT_EQ(add_entry(path, entry(99, "b@d"), message), 0);
  EXPECT_EQ(message, path + ": entry not added: not a valid name");
  std::vector<Zapis> t = load_table(path, message);
  ASSERT_EQ(t.size(), TABLE_SIZE);
  EXPECT_EQ(t[5].replay, "r55.rep");
  for (const Zapis& z : t) EXPECT_TRUE(fs::exists(dir + "/" + z.replay)) << z.replay;
  EXPECT_FALSE(fs::exists(dir + "/r10.rep"));  // fell off, and the second 10 never got on
}

}  // namespace
