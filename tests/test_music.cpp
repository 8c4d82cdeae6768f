// The theme as built: a standard MIDI file that the library's player loads
// (format 0 or 1, at most 32 tracks), about a minute long, every note ended,
// and only instruments and drums that the freepats patch set has. And the
// generator's refusal of bad sources.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Midi {
  int format = -1;
  int tracks = 0;
  double seconds = 0;
  std::set<int> programs;  // program changes, drum channel aside
  std::set<int> drums;     // keys struck on the drum channel
  std::vector<std::string> problems;
};

// Reads a standard MIDI file: every chunk and event, the tempo map (for the
// length), and whether each note-on meets its note-off in the same track.
Midi readMidi(const std::string& path) {
  Midi m;
  std::ifstream in(path, std::ios::binary);
  std::vector<unsigned char> d((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  size_t p = 0;
  size_t stop = d.size();
  bool cut = false;  // read past the chunk's end
  auto byte = [&]() -> unsigned long {
    if (p < stop) return d[p++];
    cut = true;
    return 0;
  };
  auto big = [&](int n) {
    unsigned long v = 0;
    for (int k = 0; k < n; ++k) v = v << 8 | byte();
    return v;
  };
  auto varLen = [&]() {
    unsigned long v = 0, b = 0x80;
    for (int k = 0; k < 4 && (b & 0x80); ++k) v = v << 7 | ((b = byte()) & 0x7f);
    return v;
  };
  if (big(4) != 0x4d546864 || big(4) != 6) {  // "MThd"
    m.problems.push_back("no MThd header of 6 bytes");
    return m;
  }
  m.format = static_cast<int>(big(2));
  int declared = static_cast<int>(big(2));
  unsigned long division = big(2);
  if (division == 0 || division & 0x8000) m.problems.push_back("division is not ticks a quarter note");
  std::map<unsigned long, unsigned long> tempo{{0, 500000}};  // tick -> microseconds a quarter
  unsigned long end = 0;
  while (p < d.size() && !cut) {
    stop = d.size();
    if (big(4) != 0x4d54726b) {  // "MTrk"
      m.problems.push_back("a chunk is not MTrk");
      return m;
    }
    unsigned long length = big(4);
    stop = p + length;
    if (stop > d.size()) {
      m.problems.push_back("a track runs past the file's end");
      return m;
    }
    ++m.tracks;
    std::map<int, int> sounding;  // channel * 128 + key -> notes on
    unsigned long tick = 0;
    unsigned long status = 0;
    bool ended = false;
    while (p < stop && !ended && !cut) {
      tick += varLen();
      if (p < stop && d[p] & 0x80) status = byte();
      if (status == 0xff) {
        unsigned long type = byte();
        size_t len = varLen();
        if (type == 0x51 && len == 3) tempo[tick] = big(3);
        else p += len;
        if (type == 0x2f) ended = true;
        status = 0;
      } else if (status == 0xf0 || status == 0xf7) {
        p += varLen();
      } else if ((status & 0xf0) == 0xc0 || (status & 0xf0) == 0xd0) {
        unsigned long v = byte();
        if ((status & 0xf0) == 0xc0 && (status & 0x0f) != 9) m.programs.insert(static_cast<int>(v));
      } else if (status >= 0x80) {
        int ch = status & 0x0f, key = static_cast<int>(byte()), vel = static_cast<int>(byte());
        if ((status & 0xf0) == 0x90 && vel > 0) {
          if (sounding[ch * 128 + key]++ > 0) m.problems.push_back("key " + std::to_string(key) + " struck while on");
          if (ch == 9) m.drums.insert(key);
        } else if ((status & 0xf0) == 0x80 || (status & 0xf0) == 0x90) {
          if (sounding[ch * 128 + key]-- == 0) m.problems.push_back("key " + std::to_string(key) + " ended while off");
        }
      } else {
        m.problems.push_back("a data byte with no running status");
        return m;
      }
    }
    if (!ended || p != stop || cut)
      m.problems.push_back("track " + std::to_string(m.tracks) + " does not end at its end");
    for (const auto& s : sounding)
      if (s.second > 0) m.problems.push_back("key " + std::to_string(s.first % 128) + " never ends");
    end = std::max(end, tick);
  }
  if (m.tracks != declared) m.problems.push_back("the header's track count is wrong");
  for (auto t = tempo.begin(); t != tempo.end(); ++t) {
    auto next = std::next(t);
    unsigned long until = next == tempo.end() ? end : next->first;
    if (until > t->first) m.seconds += (until - t->first) * t->second / 1e6 / static_cast<double>(division);
  }
  return m;
}

// freepats' timidity config: the programs of bank 0 and keys of drumset 0.
void readFreepats(std::set<int>& programs, std::set<int>& drums) {
  const char* paths[] = {"/usr/share/midi/freepats/freepats.cfg", "/etc/timidity/freepats.cfg"};
  std::ifstream in;
  for (const char* p : paths)
    if (!in.is_open()) in.open(p);
  ASSERT_TRUE(in.is_open()) << "freepats is not installed";
  std::set<int>* into = nullptr;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::string w, n;
    if (!(words >> w)) continue;
    if (w == "bank" || w == "drumset") {
      words >> n;
      into = n != "0" ? nullptr : w == "bank" ? &programs : &drums;
    } else if (into && w.find_first_not_of("0123456789") == std::string::npos) {
      into->insert(std::stoi(w));
    }
  }
}

TEST(Music, ThemeIsAMinuteOfWellFormedMidiForThePlayer) {
  Midi m = readMidi(TAVROK_THEME);
  for (const std::string& p : m.problems) ADD_FAILURE() << p;
  EXPECT_TRUE(m.format == 0 || m.format == 1) << m.format;
  EXPECT_GE(m.tracks, 1);
  EXPECT_LE(m.tracks, 32);
  EXPECT_GE(m.seconds, 55.0);
  EXPECT_LE(m.seconds, 70.0);
}

TEST(Music, ThemeUsesOnlyPatchesFreepatsHas) {
  std::set<int> programs, drums;
  readFreepats(programs, drums);
  ASSERT_FALSE(programs.empty());
  ASSERT_FALSE(drums.empty());
  Midi m = readMidi(TAVROK_THEME);
  EXPECT_FALSE(m.programs.empty());
  EXPECT_FALSE(m.drums.empty());
  for (int p : m.programs) EXPECT_TRUE(programs.count(p)) << "program " << p << " has no patch";
  for (int k : m.drums) EXPECT_TRUE(drums.count(k)) << "drum key " << k << " has no patch";
}

TEST(Music, MidigenNamesTheFileAndLineOfABadSource) {
  const std::string head = "tempo 120\ntrack lead channel 1 program 80\ndrum kick 36\n";
  const std::vector<std::pair<std::string, int>> cases = {
      {head + "pattern a lead\nC4 4 E4 4 G4 4\nend\nsong\nlead=a\nend\n", 5},   // three beats in a bar of four
      {head + "pattern a lead\nH4 1\nend\nsong\nlead=a\nend\n", 5},             // no such pitch
      {head + "pattern a lead\nkick 1\nend\nsong\nlead=a\nend\n", 5},           // a drum off the drum channel
      {head + "pattern a lead\nC4 1\nend\nsong\nbass=a\nend\n", 8},             // no such track
      {head + "pattern a lead\n( C4 8 *8\nend\nsong\nlead=a\nend\n", 5},        // unclosed bracket
  };
  const std::string base = testing::TempDir() + "tavrok_bad" + std::to_string(getpid());
  const std::string src = base + ".txt", err = base + ".err";
  for (const auto& c : cases) {
    std::ofstream(src) << c.first;
    int status = std::system((std::string(TAVROK_MIDIGEN) + " " + src + " " + base + ".mid 2>" + err).c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2) << c.first;
    std::ifstream e(err);
    std::string first, second;
    std::getline(e, first);
    EXPECT_EQ(first.rfind(src + ":" + std::to_string(c.second) + ": ", 0), 0u) << first;
    EXPECT_FALSE(std::getline(e, second)) << "more than one line: " << second;
  }
  std::remove(src.c_str());
  std::remove(err.c_str());
}

}  // namespace
