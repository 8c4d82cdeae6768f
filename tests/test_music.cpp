// The theme as built: a standard MIDI file that the library's player loads,
// about a minute long, every note ended (that freepats has every patch it
// plays, the build checks). And the generator's refusal of bad sources.
#include <gtest/gtest.h>

#include <allegro.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

// Walks every event of every track as the library's loader read them: the
// tempo map (for the length), whether each track ends at its end and each
// note-on meets its note-off in the same track.
TEST(Music, ThemeIsAMinuteOfWellFormedMidi) {
  install_allegro(SYSTEM_NONE, &errno, atexit);
  MIDI* m = load_midi(TAVROK_THEME);
  ASSERT_NE(m, nullptr);
  std::map<long, long> tempo{{0, 500000}};  // tick -> microseconds a quarter
  long end = 0;
  for (int k = 0; k < MIDI_TRACKS && m->track[k].data; k++) {
    const unsigned char* d = m->track[k].data;
    long n = m->track[k].len, p = 0, tick = 0, status = 0;
    auto byte = [&] { return p < n ? d[p++] : (p++, 0); };
    auto var = [&] {
      long v = 0;
      for (int b = 0x80; b & 0x80;) v = v << 7 | ((b = byte()) & 0x7f);
      return v;
    };
    std::map<int, int> on;  // channel * 128 + key -> notes sounding
    bool ended = false;
    while (p < n && !ended) {
      tick += var();
      if (p < n && d[p] & 0x80) status = byte();
      if (status == 0xff) {
        int type = byte();
        long len = var();
        if (type == 0x51 && len == 3 && p + 3 <= n) tempo[tick] = d[p] << 16 | d[p + 1] << 8 | d[p + 2];
        ended = type == 0x2f, p += len, status = 0;
      } else if (status == 0xf0 || status == 0xf7) {
        p += var();
      } else {
        ASSERT_GE(status, 0x80) << "a data byte with no running status";
        int kind = status >> 4, key = byte(), velocity = kind == 0xc || kind == 0xd ? 0 : byte();
        int& sounding = on[(status & 15) * 128 + key];
        EXPECT_FALSE(kind == 0x9 && velocity > 0 && sounding++ > 0) << "key " << key << " struck while on";
        EXPECT_FALSE((kind == 0x8 || (kind == 0x9 && velocity == 0)) && sounding-- == 0) << "key " << key << " ended while off";
      }
    }
    EXPECT_TRUE(ended && p == n) << "track " << k << " ends at its end";
    for (const auto& s : on) EXPECT_EQ(s.second, 0) << "key " << s.first % 128 << " ends";
    end = std::max(end, tick);
  }
  double seconds = 0;
  for (auto i = tempo.begin(); i != tempo.end(); ++i)
    seconds += static_cast<double>(std::max(0L, (std::next(i) == tempo.end() ? end : std::next(i)->first) - i->first)) * i->second / 1e6 / m->divisions;
  EXPECT_GE(seconds, 55.0);
  EXPECT_LE(seconds, 70.0);
  destroy_midi(m);
}

TEST(Music, MidigenNamesTheFileAndLineOfABadSource) {
  const std::string head = "tempo 120\ntrack lead channel 1 program 80\ndrum kick 36\n";
  const std::vector<std::pair<std::string, int>> cases = {
      {head + "pattern a lead\nC4 4 E4 4 G4 4\nend\nsong\nlead=a\nend\n", 5},  // three beats in a bar of four
      {head + "pattern a lead\nH4 1\nend\nsong\nlead=a\nend\n", 5},            // no such pitch
      {head + "pattern a lead\nkick 1\nend\nsong\nlead=a\nend\n", 5},          // a drum off the drum channel
      {head + "pattern a lead\nC4 1\nend\nsong\nbass=a\nend\n", 8},            // no such track
      {head + "pattern a lead\n( C4 8 *8\nend\nsong\nlead=a\nend\n", 5},       // unclosed bracket
  };
  const std::string base = testing::TempDir() + "tavrok_bad" + std::to_string(getpid());
  const std::string src = base + ".txt", err = base + ".err";
  for (const auto& c : cases) {
    std::ofstream(src) << c.first;
    int status = std::system((std::string(TAVROK_MIDIGEN) + " " + src + " " + base + ".mid 2>" + err).c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << c.first;
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
