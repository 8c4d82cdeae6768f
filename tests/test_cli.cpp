// The command-line contracts of the simulator and the theme generator,
// checked by running the programs. The built-in caves are checked when they
// are compiled, and every one is completed by tavrok-proof (ctest proof).
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/files.h"
#include "tests/pic.h"

namespace {

struct SimRun { int status; std::string out, err; };

SimRun run(const std::string& command) {
  const std::string out = scratch("run.out"), err = scratch("run.err");
  int rc = std::system((command + " >" + out + " 2>" + err).c_str());
  return {WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, slurp(out), slurp(err)};
}
SimRun sim(const std::string& args) { return run(TAVROK_SIM " " + args); }

std::string cave_file(const std::string& name, const Pic& p, unsigned need, unsigned time) {
  std::vector<uint8_t> r = record(p, need, time);
  return scratch(name, std::string(r.begin(), r.end()));
}

std::vector<std::string> lines(const std::string& s) {
  std::vector<std::string> v;
  std::istringstream in(s);
  for (std::string l; std::getline(in, l);) v.push_back(l);
  return v;
}

bool starts(const std::string& s, const std::string& head) { return s.rfind(head, 0) == 0; }

const Pic room = {"P    ", "  *  ", "     ", " O X "};

// Bad input: one line on standard error that names the problem (for the
// theme generator, the file and line of a bad source), exit status 2.
TEST(Cli, BadInputGivesOneLineAndStatus2) {
  std::string good = cave_file("good.cave", room, 1, 50), bigcell = slurp(good), badcode = slurp(good);
  bigcell[1002] = 40;
  badcode[7] = 25;
  std::string shortc = scratch("short.cave", slurp(good).substr(1)), badstart = scratch("start.cave", bigcell);
  std::string badgrid = scratch("code.cave", badcode), esc = scratch("esc.txt", "esc\n");
  std::string badkeys = scratch("keys.txt", "up\nleft jump\n"), cave = "--cave " + good;
  std::string replay = "tavrok-replay 1\nset tavrokc64_1\nbonus-caves no\nstart 1\ncheats\nrandom 3 0";
  for (int i = 0; i < 31; i++) replay += " 1";
  replay += "\ndirections " + std::string(2 * GSIZE, '0') + "\nticks\nup\n";
  std::string v2 = scratch("v2.txt", std::regex_replace(replay, std::regex("replay 1"), "replay 2"));
  std::string noset = scratch("noset.txt", std::regex_replace(replay, std::regex("c64_1"), "c64_9"));
  std::string cut = scratch("cut.txt", replay), ended = scratch("ended.txt", replay + "result quit 1 0 3\n");
  const struct { std::string args, mentions; } cases[] = {
      {"", "--cave"}, {"--cave", "--cave"}, {cave + " --frobnicate", "--frobnicate"},
      {"--cave /nonexistent/x.cave", "/nonexistent/x.cave"}, {"--cave " + shortc, shortc},
      {"--cave " + badstart, "outside"}, {"--cave " + badgrid, "25"}, {cave + " --input " + badkeys, "jump"},
      {cave + " --input /nonexistent/in.txt", "/nonexistent/in.txt"}, {cave + " --cheat wings", "wings"},
      {cave + " --ticks -1", "--ticks"}, {cave + " --ticks 12x", "--ticks"}, {cave + " --number 0", "--number"},
      {cave + " --set tavrok_s1 --number 1", "exactly one"}, {"--set no_such_set --number 1", "no_such_set"},
      {"--dump-set no_such_set", "no_such_set"}, {cave + " --input " + esc, "esc"}, {cave + " --start 2", "--start"},
      {"--game --start 0", "--start"}, {"--game --start 21", "21"}, {"--game --set tavrok_s1 --start 26", "26"},
      {"--game --set tavrok_s1 --bl", "tavrok_s1"}, {"--game --set no_such_set", "no_such_set"},
      {"--game --input " + badkeys + " --ticks 5", "jump"}, {"--game " + cave, "--game"},
      {"--game --number 2", "--game"}, {"--game --dump-set tavrok_s1", "--game"},
      {"--game --replay " + v2, v2 + ": line 1: not a replay of format 1"}, {"--game --replay " + noset, noset + ": line 2"},
      {"--game --replay " + cut, "line 10: no result"}, {"--game --verify", "--replay"}, {"--replay " + ended, "--game"},
      {"--game --replay " + scratch("won.txt", replay + "result won 1 0 3\n"), "line 10"},
      {"--game --replay " + scratch("jump.txt", replay + "jump\nresult quit 1 0 3\n"), "line 10: unknown key 'jump'"},
      {"--game --replay " + scratch("wings.txt", std::regex_replace(replay, std::regex("cheats"), "cheats wings")), "wings"},
      {"--game --set tavrok_s1 --replay " + ended, "--replay"}, {"--game --ticks 3 --record " + scratch("r.txt"), "esc"},
  };
  const std::string head = "tempo 120\ntrack lead channel 1 program 80\ndrum kick 36\npattern a lead\n", song = "\nend\nsong\n";
  const struct { std::string source, mentions; } themes[] = {
      {"C4 4 E4 4 G4 4" + song + "lead=a\nend\n", ":5: "},  // three beats in a bar of four
      {"H4 1" + song + "lead=a\nend\n", ":5: "},            // no such pitch
      {"kick 1" + song + "lead=a\nend\n", ":5: "},          // a drum off the drum channel
      {"C4 1" + song + "bass=a\nend\n", ":8: "},            // no such track
      {"( C4 8 *8" + song + "lead=a\nend\n", ":5: "},       // unclosed bracket
  };
  std::vector<std::pair<std::string, std::string>> runs;
  for (const auto& c : cases) runs.emplace_back(TAVROK_SIM " " + c.args, c.mentions);
  for (const auto& t : themes) {
    std::string src = scratch("theme" + std::to_string(runs.size()) + ".txt", head + t.source);
    runs.emplace_back(TAVROK_MIDIGEN " " + src + " " + scratch("theme.mid"), src + t.mentions);
  }
  for (const auto& [command, mentions] : runs) {
    SCOPED_TRACE(command);
    SimRun r = run(command);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    ASSERT_FALSE(r.err.empty());
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
    EXPECT_NE(r.err.find(mentions), std::string::npos) << r.err;
  }
}

// One cave: how many lines each run prints (every tick with --trace, else
// the last), how the last begins and what every line holds.
TEST(Sim, OneCave) {
  std::string cave = "--cave " + cave_file("room.cave", room, 1, 50) + " ";
  std::string two = scratch("two.txt", "right\n\n"), kill = scratch("kill.txt", "kill\n"), f12 = scratch("f12.txt", "\nf12\n");
  std::string f11 = scratch("f11.txt", "f11\n");
  const std::regex shape(
      R"(\{"tick":\d+,"end":(null|"completed"|"died"),"xp":\d+,"yp":\d+,"ch":\d+,"sc":\d+,"zi":\d+,"cas":-?\d+,)"
      R"("smrt":[01],"fxit":[01],"citac":\d+,"va":[01],"tece":\d,"aktual":\d,"grid":\[("[A-Y]{40}",){24}"[A-Y]{40}"\]\})");
  const struct { std::string args; size_t n; std::string head, has; } runs[] = {
      {cave + "--ticks 3 --trace", 3, R"({"tick":3,"end":null,)", R"("grid":\["CAAAAB)"},  // the player at his start
      {cave + "--ticks 3", 1, R"({"tick":3,)", ""},
      {cave + "--ticks 3 --cheat time", 1, R"({"tick":3,)", R"("cas":2000,)"},
      {cave + "--input " + two, 1, R"({"tick":2,)", R"("xp":1,)"},                       // the input's lines set the length
      {cave + "--input " + two + " --ticks 5 --trace", 5, R"({"tick":5,)", R"("xp":1,)"},  // then nothing is held
      {cave, 1, R"({"tick":0,)", R"("cas":2000,)"},                                 // the state after the cave start
      {cave + "--input " + kill + " --ticks 30", 1, R"({"tick":10,"end":"died","xp":255,"yp":255,)", R"("zi":2,)"},
      {cave + "--input " + kill + " --ticks 30 --cheat lives", 1, R"({"tick":10,"end":"died",)", R"("zi":3,)"},
      {cave + "--input " + kill + " --ticks 30 --bl --number 5", 1, R"({"tick":10,"end":"completed",)", R"("cas":0,)"},
      {cave + "--input " + f12 + " --trace", 2, R"({"tick":2,"end":"completed",)", R"("sc":0,)"},  // before its bonuses
      // Diamonds around him, which fall in the same tick; the grid row by row, 'A' + code.
      {cave + "--input " + f11, 1, R"({"tick":1,)", R"("ch":1,.*"grid":\["CAAAAB.*","ALAAAB.*","LLLAAB)"},
      {"--cave " + cave_file("spider.cave", {"PB"}, 0, 50) + " --ticks 12 --cheat spiders", 1, R"({"tick":12,"end":null,)", ""},
  };
  std::string traced;
  for (const auto& r : runs) {
    SCOPED_TRACE(r.args);
    SimRun s = sim(r.args);
    ASSERT_EQ(s.status, 0) << s.err;
    std::vector<std::string> l = lines(s.out);
    ASSERT_EQ(l.size(), r.n);
    for (size_t i = 0; i < l.size(); i++) {
      EXPECT_TRUE(std::regex_match(l[i], shape)) << l[i];
      EXPECT_TRUE(r.n == 1 || starts(l[i], "{\"tick\":" + std::to_string(i + 1) + ",")) << l[i];
      EXPECT_TRUE(std::regex_search(l[i], std::regex(r.has))) << l[i];
    }
    EXPECT_TRUE(starts(l.back(), r.head)) << l.back();
    traced = r.n == 3 ? l.back() : traced;
    EXPECT_TRUE(r.args != cave + "--ticks 3" || l.back() == traced) << "the last line of the trace";
  }
}

// A whole game: a line for every cave that ends, "CAVE:TICK:END:LIVES" here;
// with --trace every tick, the cave after the tick, the same values at the
// ends. It ends with ESC, the last life, or the set's last cave (25 for the
// classic set, 20 for the others), and plays no tick after that.
TEST(Sim, Game) {
  const std::string game = " --input " + scratch("game.txt", "f12\nkill\n\n\n\n\n\n\n\n\n\nesc\n");
  const std::string last = " --input " + scratch("last.txt", "\nf12\n\n\n"), die = "kill" + std::string(10, '\n');
  const struct { std::string args, ends; size_t ticks; } games[] = {
      {game, "1:1:completed:3 2:10:died:2 2:1:quit:2 ", 12},  // done at once, a death, ESC in the next try
      {game + " --ticks 4", "1:1:completed:3 ", 4},           // ticks in all
      {"--ticks 4", "", 4},
      {"", "", 0},
      {"--set tavrok_s1 --start 25" + last, "25:2:set-completed:3 ", 2},
      {"--bl --start 20" + last, "20:2:set-completed:3 ", 2},
      {"--set tavrok_s1 --start 20" + last, "20:2:completed:3 ", 4},
      {"--input " + scratch("die.txt", die + die + die), "1:10:died:2 1:10:died:1 1:10:gameover:0 ", 30},
  };
  const std::regex end(R"x(\{"cave":(\d+),"tick":(\d+),"end":"([a-z-]+)","sc":\d+,"zi":(\d+),"cas":-?\d+\})x");
  const std::regex traced(R"x(\{"tick":(\d+),"cave":(\d+),"end":("[a-z-]+"),.*("sc":\d+,"zi":\d+,"cas":-?\d+),.*)x");
  for (const auto& g : games) {
    SCOPED_TRACE(g.args);
    SimRun r = sim("--game " + g.args);
    std::string ends, from_trace;
    std::smatch m;
    for (const std::string& l : lines(r.out))  // a line of another shape shows as itself
      ends += std::regex_match(l, m, end) ? m.str(1) + ":" + m.str(2) + ":" + m.str(3) + ":" + m.str(4) + " " : l;
    EXPECT_EQ(ends, g.ends) << r.err;
    std::vector<std::string> t = lines(sim("--game --trace " + g.args).out);
    EXPECT_EQ(t.size(), g.ticks);
    for (const std::string& l : t)
      if (std::regex_match(l, m, traced)) from_trace += "{\"cave\":" + m.str(2) + ",\"tick\":" + m.str(1) + ",\"end\":" + m.str(3) + "," + m.str(4) + "}\n";
    EXPECT_EQ(from_trace, r.out);
  }
  // Until its first cave ends a game traces what the one-cave mode does.
  std::string sol = " --trace --ticks 40 --input " TAVROK_SOLUTIONS "/tavrokc64_1/01.txt";
  std::vector<std::string> one = lines(sim("--set tavrokc64_1 --number 1" + sol).out), game1 = lines(sim("--game" + sol).out);
  ASSERT_EQ(game1.size(), one.size());
  for (size_t i = 0; i < one.size(); i++) EXPECT_EQ(std::regex_replace(game1[i], std::regex("\"cave\":1,"), ""), one[i]);
}

// A game recorded by the simulator plays back with the same lines and
// verifies; with one tick changed it does not, in one line naming the cave.
TEST(Sim, ReplayVerifies) {
  const std::string keys = slurp(TAVROK_SOLUTIONS "/tavrokc64_1/01.txt") + "kill\n" + std::string(9, '\n') + "esc\n";
  const std::string record = scratch("game.replay"), input = scratch("game.keys", keys);
  SimRun played = sim("--game --input " + input + " --record " + record);
  ASSERT_EQ(played.status, 0) << played.err;
  SimRun again = sim("--game --replay " + record + " --verify");
  EXPECT_EQ(XY(again.status, again.out == played.out), XY(0, true)) << again.err;
  std::string text = slurp(record);
  text.insert(text.find("\nticks\n") + 7, "kill ");  // a kill in the first tick
  SimRun changed = sim("--game --replay " + scratch("changed.replay", text) + " --verify");
  EXPECT_EQ(changed.status, 1);
  EXPECT_EQ(changed.err.rfind("tavrok-sim: " + scratch("changed.replay") + ": cave 1, tick 10: played died", 0), 0u) << changed.err;
  EXPECT_EQ(changed.err.find('\n'), changed.err.size() - 1) << "one line";
}

}  // namespace
