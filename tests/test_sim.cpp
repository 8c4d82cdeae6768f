// The simulator's command-line contract, checked by running the program.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "cave/hra.h"
#include "cave/load.h"
#include "cave/view.h"
#include "tests/pic.h"
#include "tools/headless.h"

namespace {

struct SimRun {
  int status;
  std::string out, err;
};

std::string slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

SimRun sim(const std::string& args) {
  // Tests run in parallel processes: each keeps its own output files.
  std::string base = ::testing::TempDir() + "sim" + std::to_string(getpid());
  std::string cmd = std::string(TAVROK_SIM) + " " + args + " >" + base + ".out 2>" + base + ".err";
  int rc = std::system(cmd.c_str());
  return {WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, slurp(base + ".out"), slurp(base + ".err")};
}

std::string write(const std::string& name, const std::string& bytes) {
  std::string path = ::testing::TempDir() + std::to_string(getpid()) + name;
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

std::string record_bytes(const Pic& p, unsigned need, unsigned time) {
  std::vector<uint8_t> r = record(p, need, time);
  return std::string(r.begin(), r.end());
}

std::vector<std::string> lines(const std::string& s) {
  std::vector<std::string> v;
  std::istringstream in(s);
  for (std::string l; std::getline(in, l);) v.push_back(l);
  return v;
}

const Pic room = {"P    ", "  *  ", "     ", " O X "};

TEST(Sim, BadInputGivesOneLineAndStatus2) {
  std::string good = write("good.cave", record_bytes(room, 1, 50));
  std::string shortc = write("short.cave", record_bytes(room, 1, 50).substr(1));
  std::string bigcell = record_bytes(room, 1, 50);
  bigcell[1002] = 40;
  std::string badstart = write("start.cave", bigcell);
  std::string badcode = record_bytes(room, 1, 50);
  badcode[7] = 25;
  std::string badgrid = write("code.cave", badcode);
  std::string badkeys = write("keys.txt", "up\nleft jump\n");
  std::string esc = write("esc.txt", "esc\n");

  struct Case {
    std::string args, mentions;
  } cases[] = {
      {"", "--cave"},
      {"--cave", "--cave"},
      {"--cave " + good + " --frobnicate", "--frobnicate"},
      {"--cave /nonexistent/x.cave", "/nonexistent/x.cave"},
      {"--cave " + shortc, shortc},
      {"--cave " + badstart, "outside"},
      {"--cave " + badgrid, "25"},
      {"--cave " + good + " --input " + badkeys, "jump"},
      {"--cave " + good + " --input /nonexistent/in.txt", "/nonexistent/in.txt"},
      {"--cave " + good + " --cheat wings", "wings"},
      {"--cave " + good + " --ticks -1", "--ticks"},
      {"--cave " + good + " --ticks 12x", "--ticks"},
      {"--cave " + good + " --number 0", "--number"},
      {"--cave " + good + " --set tavrok_s1 --number 1", "exactly one"},
      {"--set no_such_set --number 1", "no_such_set"},
      {"--dump-set no_such_set", "no_such_set"},
      {"--cave " + good + " --input " + esc, "esc"},
      {"--cave " + good + " --start 2", "--start"},
      {"--game --start 0", "--start"},
      {"--game --start 21", "21"},
      {"--game --set tavrok_s1 --start 26", "26"},
      {"--game --set tavrok_s1 --bl", "tavrok_s1"},
      {"--game --set no_such_set", "no_such_set"},
      {"--game --input " + badkeys + " --ticks 5", "jump"},
      {"--game --cave " + good, "--game"},
      {"--game --number 2", "--game"},
      {"--game --dump-set tavrok_s1", "--game"},
  };
  for (const Case& c : cases) {
    SimRun r = sim(c.args);
    EXPECT_EQ(r.status, 2) << c.args;
    EXPECT_EQ(r.out, "") << c.args;
    ASSERT_FALSE(r.err.empty()) << c.args;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
    EXPECT_NE(r.err.find(c.mentions), std::string::npos) << r.err;
  }
}

TEST(Sim, OutputShapeAndTrace) {
  std::string cave = write("room.cave", record_bytes(room, 1, 50));
  const std::regex shape(
      R"(\{"tick":\d+,"end":(null|"completed"|"died"),"xp":\d+,"yp":\d+,"ch":\d+,"sc":\d+,"zi":\d+,"cas":-?\d+,)"
      R"("smrt":[01],"fxit":[01],"citac":\d+,"va":[01],"tece":\d,"aktual":\d,"grid":\[("[A-Y]{40}",){24}"[A-Y]{40}"\]\})");

  SimRun r = sim("--cave " + cave + " --ticks 3 --trace");
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<std::string> l = lines(r.out);
  ASSERT_EQ(l.size(), 3u);
  for (size_t i = 0; i < l.size(); i++) {
    EXPECT_TRUE(std::regex_match(l[i], shape)) << l[i];
    EXPECT_EQ(l[i].rfind("{\"tick\":" + std::to_string(i + 1) + ",", 0), 0u);
  }
  EXPECT_NE(l[0].find("\"cas\":1999,"), std::string::npos);
  EXPECT_NE(l[0].find("\"grid\":[\"CAAAAB"), std::string::npos) << "player at its start, brick around";

  SimRun last = sim("--cave " + cave + " --ticks 3");
  EXPECT_EQ(last.out, l[2] + "\n");

  // Without --ticks the input's lines set the length; past them nothing is held.
  std::string in = write("two.txt", "right\n\n");
  EXPECT_EQ(lines(sim("--cave " + cave + " --input " + in).out).size(), 1u);
  SimRun longer = sim("--cave " + cave + " --input " + in + " --ticks 5 --trace");
  l = lines(longer.out);
  ASSERT_EQ(l.size(), 5u);
  EXPECT_NE(l[0].find("\"xp\":1,"), std::string::npos);
  EXPECT_NE(l[4].find("\"xp\":1,"), std::string::npos);

  EXPECT_EQ(lines(sim("--cave " + cave).out).size(), 1u) << "no ticks: the state after the cave start";
  EXPECT_NE(sim("--cave " + cave).out.find("{\"tick\":0,"), std::string::npos);
}

TEST(Sim, CavesEndByDeathOrCompletion) {
  std::string cave = write("end.cave", record_bytes(room, 1, 50));
  std::string kill = write("kill.txt", "kill\n");
  SimRun died = sim("--cave " + cave + " --input " + kill + " --ticks 30");
  std::vector<std::string> l = lines(died.out);
  ASSERT_EQ(l.size(), 1u);
  EXPECT_EQ(l[0].rfind("{\"tick\":10,\"end\":\"died\",\"xp\":255,\"yp\":255,", 0), 0u) << l[0];
  EXPECT_NE(l[0].find("\"zi\":2,"), std::string::npos);

  EXPECT_NE(sim("--cave " + cave + " --input " + kill + " --ticks 30 --cheat lives").out.find("\"zi\":3,"),
            std::string::npos);

  SimRun bonus = sim("--cave " + cave + " --input " + kill + " --ticks 30 --bl --number 5");
  EXPECT_EQ(bonus.out.rfind("{\"tick\":10,\"end\":\"completed\",", 0), 0u) << bonus.out;
  EXPECT_NE(bonus.out.find("\"cas\":0,"), std::string::npos);

  std::string f12 = write("f12.txt", "\nf12\n");
  SimRun done = sim("--cave " + cave + " --input " + f12 + " --trace");
  l = lines(done.out);
  ASSERT_EQ(l.size(), 2u);
  EXPECT_EQ(l[1].rfind("{\"tick\":2,\"end\":\"completed\",", 0), 0u);
  EXPECT_NE(l[1].find("\"sc\":0,"), std::string::npos) << "before the completion's bonuses";
}

// The simulator plays exactly what the engine plays in-process.
TEST(Sim, MatchesTheEngineTickByTick) {
  std::mt19937 gen(7);
  const char kinds[] = "  ...#*O~BDGCXS";
  Pic p(CH, std::string(CW, ' '));
  for (auto& row : p)
    for (char& c : row) c = kinds[gen() % (sizeof kinds - 1)];
  p[12][20] = 'P';
  std::string cave = write("random.cave", record_bytes(p, 3, 30));
  static const char* const keys[] = {"up", "down", "left", "right", "f11"};
  std::string input;
  std::vector<std::array<bool, KL_COUNT>> held;
  for (int t = 0; t < 300; t++) {
    std::array<bool, KL_COUNT> h{};
    std::string line;
    for (int k = 0; k < 5; k++)
      if (gen() % (k == 4 ? 40 : 3) == 0) {
        line += std::string(line.empty() ? "" : " ") + keys[k];
        h[k == 4 ? KL_F11 : static_cast<Klic>(k)] = true;
      }
    input += line + "\n";
    held.push_back(h);
  }
  SimRun r = sim("--cave " + cave + " --input " + write("random.txt", input) + " --trace --cheat spiders");
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<std::string> out = lines(r.out);

  fresh();
  tpavouk = 1;
  std::string bytes = slurp(cave);
  nazev = reinterpret_cast<const uint8_t*>(bytes.data());
  init_mb800();
  new_game();
  cave_start();
  for (size_t t = 0; t < held.size(); t++) {
    headless_keys = held[t];
    tick_show();
    Konec k = tick_play();
    ASSERT_LT(t, out.size());
    std::string grid;
    for (int y = 0; y < CH; y++) {
      grid += y ? ",\"" : "\"";
      for (int x = 0; x < CW; x++) grid += static_cast<char>('A' + S(x, y));
      grid += '"';
    }
    char head[200];
    std::snprintf(head, sizeof head, "\"xp\":%d,\"yp\":%d,\"ch\":%u,\"sc\":%u,\"zi\":%u,\"cas\":%d,", xp, yp, ch, sc,
                  zi, cas);
    ASSERT_NE(out[t].find(head), std::string::npos) << "tick " << t + 1 << "\n" << out[t];
    ASSERT_NE(out[t].find("\"grid\":[" + grid + "]"), std::string::npos) << "tick " << t + 1;
    if (k != HRAJE) {
      EXPECT_EQ(out.size(), t + 1);
      break;
    }
  }
}

// A whole game: one line per cave end, or every tick with the cave number.
TEST(Sim, GameReportsEveryCaveEnd) {
  // Cave 1 completed at once, a death in cave 2, ESC in its next try.
  std::string in = write("game.txt", "f12\nkill\n\n\n\n\n\n\n\n\n\nesc\n");
  SimRun r = sim("--game --input " + in);
  ASSERT_EQ(r.status, 0) << r.err;
  const std::regex end(R"re(\{"cave":(\d+),"tick":(\d+),"end":"([a-z-]+)","sc":(\d+),"zi":(\d+),"cas":(\d+)\})re");
  const char* const want[][3] = {{"1", "1", "completed"}, {"2", "10", "died"}, {"2", "1", "quit"}};
  std::vector<std::string> l = lines(r.out);
  ASSERT_EQ(l.size(), 3u) << r.out;
  for (size_t i = 0; i < 3; i++) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(l[i], m, end)) << l[i];
    EXPECT_EQ(m[1], want[i][0]);
    EXPECT_EQ(m[2], want[i][1]);
    EXPECT_EQ(m[3], want[i][2]);
    EXPECT_EQ(m[5], i ? "2" : "3");
  }

  // The trace: every tick, the cave number after the tick number, the same
  // values at the ends.
  std::vector<std::string> t = lines(sim("--game --input " + in + " --trace").out);
  ASSERT_EQ(t.size(), 12u);
  for (size_t i = 0; i < t.size(); i++) {
    int e = i == 0 ? 0 : i == 10 ? 1 : i == 11 ? 2 : -1;  // the cave end of this tick, if any
    std::string head = "{\"tick\":" + std::to_string(i == 0 || i == 11 ? 1 : i) + ",\"cave\":" + (i ? "2" : "1") +
                       ",\"end\":" + (e < 0 ? "null" : "\"" + std::string(want[e][2]) + "\"") + ",\"xp\":";
    EXPECT_EQ(t[i].rfind(head, 0), 0u) << t[i];
    std::smatch m;
    if (e >= 0 && std::regex_match(l[e], m, end)) {
      EXPECT_NE(t[i].find("\"sc\":" + m[4].str() + ",\"zi\":" + m[5].str() + ",\"cas\":" + m[6].str() + ","),
                std::string::npos)
          << t[i];
    }
  }
  EXPECT_EQ(lines(sim("--game --input " + in + " --ticks 4 --trace").out).size(), 4u) << "ticks in all";
  EXPECT_EQ(lines(sim("--game --ticks 4 --trace").out).size(), 4u);
  EXPECT_EQ(sim("--game --ticks 4").out, "") << "no cave ended";
  SimRun none = sim("--game");
  EXPECT_EQ(none.status, 0);
  EXPECT_EQ(none.out, "");

  // Until its first cave ends a game traces what the one-cave mode does.
  std::string sol = std::string(TAVROK_SOLUTIONS) + "/tavrokc64_1/01.txt";
  std::vector<std::string> one = lines(sim("--set tavrokc64_1 --number 1 --trace --ticks 40 --input " + sol).out);
  std::vector<std::string> game = lines(sim("--game --trace --ticks 40 --input " + sol).out);
  ASSERT_EQ(game.size(), one.size());
  for (size_t i = 0; i < one.size(); i++) EXPECT_EQ(std::regex_replace(game[i], std::regex("\"cave\":1,"), ""), one[i]);
}

// A game begun at the set's last cave ends when it is completed.
TEST(Sim, GameEndsWithTheSetsLastCave) {
  struct Case {
    std::string args, set, start, end;
  } cases[] = {
      {"", "tavrok_s1", "25", "set-completed"},
      {"--bl", "tavrokc64_1", "20", "set-completed"},
      {"", "tavrok_s1", "20", "completed"},  // the classic set has 25 caves
  };
  for (const Case& c : cases) {
    // A game's first cave starts from the program's fresh state.
    std::string sol = std::string(TAVROK_SOLUTIONS) + "/" + c.set + "/" + c.start;
    sol += std::ifstream(sol + "@fresh.txt") ? "@fresh.txt" : ".txt";
    std::string args = "--game " + c.args + " --set " + c.set + " --start " + c.start + " --input " + sol;
    SimRun r = sim(args + " --ticks " + std::to_string(lines(slurp(sol)).size() + 1));
    std::vector<std::string> l = lines(r.out);
    ASSERT_EQ(l.size(), 1u) << args << "\n" << r.out << r.err;
    EXPECT_TRUE(std::regex_match(l[0], std::regex("\\{\"cave\":" + c.start + ",\"tick\":\\d+,\"end\":\"" + c.end + "\",.*")))
        << l[0];
  }
  // It ends by itself: no tick is played after the end of the set.
  SimRun r = sim("--game --set tavrok_s1 --start 25 --ticks 100000 --trace --input " + std::string(TAVROK_SOLUTIONS) +
                 "/tavrok_s1/25.txt");
  EXPECT_NE(lines(r.out).back().find("\"end\":\"set-completed\""), std::string::npos);
}

}  // namespace
