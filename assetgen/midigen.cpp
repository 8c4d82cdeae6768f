// tavrok-midigen IN.txt OUT.mid: turns the theme's text source (its format is
// described at the top of assets/music/theme.txt) into a standard MIDI file
// of format 1: a conductor track with the tempo, then one track a channel.
// The library's player loads format 0 and 1 files of up to 32 tracks; this
// writes at most 17. Bad input gives one line on standard error and exit 2.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr long kQuarter = 480;  // ticks a quarter note
constexpr int kDrumChannel = 10;

struct Failure {
  int line;  // 0: not about one line
  std::string what;
};

[[noreturn]] void fail(int line, const std::string& what) { throw Failure{line, what}; }

struct Track {
  std::string name;
  int channel = 0;
  int program = -1;
  int volume = 100;
  int pan = 64;
  int velocity = 100;
  int gate = 90;
  bool drums() const { return channel == kDrumChannel; }
};

struct Drum {
  int key;
  int velocity;
};

struct Note {
  long start;  // ticks from the start of the bar
  long length;
  int key;
  int velocity;
};

using Bar = std::vector<Note>;

struct Pattern {
  size_t track;
  std::vector<Bar> bars;
};

struct Section {
  int line;
  int times = 1;
  std::vector<std::pair<size_t, std::vector<const Pattern*>>> parts;  // track, patterns in turn
};

struct Song {
  int tempo = 0;
  int beats = 4;
  std::vector<Track> tracks;
  std::map<std::string, Drum> drumNames;
  std::map<std::string, Pattern> patterns;
  std::vector<Section> sections;
  bool haveSong = false;
};

bool parseInt(const std::string& s, int lo, int hi, int& out) {
  if (s.empty() || s.size() > 4) return false;
  int v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  if (v < lo || v > hi) return false;
  out = v;
  return true;
}

int needInt(const std::string& s, int lo, int hi, const char* what, int line) {
  int v = 0;
  if (!parseInt(s, lo, hi, v))
    fail(line, std::string(what) + " '" + s + "' is not a number from " + std::to_string(lo) + " to " +
                   std::to_string(hi));
  return v;
}

std::vector<std::string> split(const std::string& s, char sep) {
  std::vector<std::string> parts;
  std::string cur;
  for (char c : s) {
    if (c == sep) {
      parts.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  parts.push_back(cur);
  return parts;
}

// A pitch such as C4, F#3 or Bb5 (C4 is middle C, key 60); -1 if it is none.
int pitch(const std::string& s) {
  static const int semis[7] = {9, 11, 0, 2, 4, 5, 7};  // A..G
  if (s.size() < 2 || s[0] < 'A' || s[0] > 'G') return -1;
  int key = semis[s[0] - 'A'];
  size_t i = 1;
  if (s[i] == '#') {
    ++key;
    ++i;
  } else if (s[i] == 'b') {
    --key;
    ++i;
  }
  std::string octave = s.substr(i);
  bool negative = !octave.empty() && octave[0] == '-';
  int oct = 0;
  if (!parseInt(negative ? octave.substr(1) : octave, 0, 9, oct)) return -1;
  if (negative) oct = -oct;
  key += 12 * (oct + 1);
  return key >= 0 && key <= 127 ? key : -1;
}

long length(const std::string& s, int line) {
  long total = 0;
  for (const std::string& part : split(s, '+')) {
    bool dotted = !part.empty() && part.back() == '.';
    int n = 0;
    if (!parseInt(dotted ? part.substr(0, part.size() - 1) : part, 1, 32, n) ||
        (n != 1 && n != 2 && n != 4 && n != 8 && n != 16 && n != 32))
      fail(line, "length '" + s + "' is not made of 1 2 4 8 16 32, each with an optional '.'");
    long ticks = 4 * kQuarter / n;
    total += dotted ? ticks * 3 / 2 : ticks;
  }
  return total;
}

std::string beats(long ticks) {
  std::ostringstream o;
  o << static_cast<double>(ticks) / kQuarter;
  return o.str();
}

bool isRepeat(const std::string& t) { return t.size() > 1 && t[0] == '*'; }

// Reads NOTE LENGTH pairs and bracketed groups from toks[i..] until a ')'
// (inside a group) or the end, appending notes from time 'at'. Stops at once
// when the bar runs long, which also bounds what repeats can make.
void readNotes(const Song& song, const Track& track, const std::vector<std::string>& toks, size_t& i, bool inGroup,
               long& at, Bar& bar, int line) {
  const long barTicks = song.beats * kQuarter;
  while (i < toks.size()) {
    const std::string& t = toks[i];
    if (t == ")") {
      if (!inGroup) fail(line, "')' without '('");
      return;
    }
    if (t == "(") {
      ++i;
      long groupStart = at;
      size_t first = bar.size();
      readNotes(song, track, toks, i, true, at, bar, line);
      if (i >= toks.size()) fail(line, "'(' without ')'");
      ++i;
      int times = 1;
      if (i < toks.size() && isRepeat(toks[i])) times = needInt(toks[i++].substr(1), 1, 64, "repeat count", line);
      long span = at - groupStart;
      if (groupStart + span * times > barTicks)
        fail(line, "the bar lasts more than " + std::to_string(song.beats) + " beats");
      size_t last = bar.size();
      for (int k = 1; k < times; ++k) {
        for (size_t n = first; n < last; ++n) {
          Note copy = bar[n];
          copy.start += span * k;
          bar.push_back(copy);
        }
      }
      at = groupStart + span * times;
      continue;
    }
    if (isRepeat(t)) fail(line, "'" + t + "' must follow ')' or end the line");
    if (i + 1 >= toks.size() || toks[i + 1] == "(" || toks[i + 1] == ")" || isRepeat(toks[i + 1]))
      fail(line, "note '" + t + "' has no length");
    long len = length(toks[i + 1], line);
    if (t != "r") {
      std::vector<int> keys;
      for (const std::string& name : split(t, '+')) {
        int key = -1;
        int velocity = track.velocity;
        if (track.drums()) {
          auto d = song.drumNames.find(name);
          if (d == song.drumNames.end()) fail(line, "'" + name + "' is no drum named with 'drum'");
          key = d->second.key;
          velocity = d->second.velocity;
        } else {
          key = pitch(name);
          if (key < 0) fail(line, "'" + name + "' is not a pitch such as C4, F#3 or Bb5, nor 'r'");
        }
        if (std::find(keys.begin(), keys.end(), key) != keys.end()) fail(line, "'" + t + "' has one note twice");
        keys.push_back(key);
        bar.push_back(Note{at, len, key, velocity});
      }
    }
    at += len;
    if (at > barTicks) fail(line, "the bar lasts more than " + std::to_string(song.beats) + " beats");
    i += 2;
  }
  if (inGroup) fail(line, "'(' without ')'");
}

std::vector<std::string> tokens(const std::string& text) {
  std::string spaced;
  for (char c : text) {
    if (c == '(' || c == ')') {
      spaced += ' ';
      spaced += c;
      spaced += ' ';
    } else {
      spaced += c;
    }
  }
  std::istringstream in(spaced);
  std::vector<std::string> out;
  std::string t;
  while (in >> t) out.push_back(t);
  return out;
}

size_t findTrack(const Song& song, const std::string& name, int line) {
  for (size_t k = 0; k < song.tracks.size(); ++k)
    if (song.tracks[k].name == name) return k;
  fail(line, "no track named '" + name + "'");
}

void readTrack(Song& song, const std::vector<std::string>& t, int line) {
  if (t.size() < 4 || t[2] != "channel") fail(line, "expected: track NAME channel C [program P] ...");
  for (const Track& other : song.tracks)
    if (other.name == t[1]) fail(line, "track '" + t[1] + "' is named twice");
  Track track;
  track.name = t[1];
  track.channel = needInt(t[3], 1, 16, "channel", line);
  for (const Track& other : song.tracks)
    if (other.channel == track.channel) fail(line, "channel " + t[3] + " has a track already");
  for (size_t k = 4; k < t.size(); k += 2) {
    if (k + 1 >= t.size()) fail(line, "'" + t[k] + "' has no value");
    const std::string& key = t[k];
    const std::string& value = t[k + 1];
    if (key == "program") {
      if (track.drums()) fail(line, "the drum channel takes no program");
      track.program = needInt(value, 0, 127, "program", line);
    } else if (key == "volume") {
      track.volume = needInt(value, 0, 127, "volume", line);
    } else if (key == "pan") {
      track.pan = needInt(value, 0, 127, "pan", line);
    } else if (key == "velocity") {
      track.velocity = needInt(value, 1, 127, "velocity", line);
    } else if (key == "gate") {
      track.gate = needInt(value, 1, 100, "gate", line);
    } else {
      fail(line, "unknown track setting '" + key + "'");
    }
  }
  song.tracks.push_back(track);
}

void readBar(Song& song, Pattern& pattern, const std::vector<std::string>& toks, int line) {
  const Track& track = song.tracks[pattern.track];
  std::vector<std::string> notes = toks;
  int times = 1;
  if (notes.size() >= 2 && isRepeat(notes.back()) && notes[notes.size() - 2] != ")") {
    times = needInt(notes.back().substr(1), 1, 64, "repeat count", line);
    notes.pop_back();
  }
  Bar bar;
  long at = 0;
  size_t i = 0;
  readNotes(song, track, notes, i, false, at, bar, line);
  long barTicks = song.beats * kQuarter;
  if (at != barTicks) fail(line, "the bar lasts " + beats(at) + " beats, not " + std::to_string(song.beats));
  for (int k = 0; k < times; ++k) pattern.bars.push_back(bar);
}

void readSection(Song& song, const std::vector<std::string>& toks, int line) {
  Section section;
  section.line = line;
  std::vector<std::string> t = toks;
  if (!t.empty() && t[0].back() == ':') t.erase(t.begin());
  if (!t.empty() && isRepeat(t.back())) {
    section.times = needInt(t.back().substr(1), 1, 64, "repeat count", line);
    t.pop_back();
  }
  if (t.empty()) fail(line, "a section names no track");
  for (const std::string& part : t) {
    size_t eq = part.find('=');
    if (eq == std::string::npos) fail(line, "expected TRACK=PATTERN, not '" + part + "'");
    size_t track = findTrack(song, part.substr(0, eq), line);
    for (const auto& other : section.parts)
      if (other.first == track) fail(line, "track '" + part.substr(0, eq) + "' is named twice");
    std::vector<const Pattern*> list;
    for (const std::string& name : split(part.substr(eq + 1), ',')) {
      auto p = song.patterns.find(name);
      if (p == song.patterns.end()) fail(line, "no pattern named '" + name + "'");
      if (p->second.track != track)
        fail(line, "pattern '" + name + "' is for track '" + song.tracks[p->second.track].name + "'");
      list.push_back(&p->second);
    }
    section.parts.emplace_back(track, list);
  }
  song.sections.push_back(section);
}

Song readSong(std::istream& in) {
  Song song;
  std::string text;
  int line = 0;
  enum { kTop, kPattern, kSong } where = kTop;
  Pattern* pattern = nullptr;
  int openedAt = 0;
  bool haveNotes = false;
  while (std::getline(in, text)) {
    ++line;
    // A '#' that begins a word starts a comment; inside one it is a sharp.
    size_t hash = 0;
    while ((hash = text.find('#', hash)) != std::string::npos && hash > 0 && text[hash - 1] != ' ' &&
           text[hash - 1] != '\t')
      ++hash;
    std::vector<std::string> t = tokens(hash == std::string::npos ? text : text.substr(0, hash));
    if (t.empty()) continue;
    if (where == kPattern) {
      if (t.size() == 1 && t[0] == "end") {
        if (pattern->bars.empty()) fail(line, "the pattern has no bars");
        where = kTop;
      } else {
        readBar(song, *pattern, t, line);
      }
      continue;
    }
    if (where == kSong) {
      if (t.size() == 1 && t[0] == "end")
        where = kTop;
      else
        readSection(song, t, line);
      continue;
    }
    const std::string& word = t[0];
    if (word == "tempo" || word == "bar") {
      if (t.size() != 2) fail(line, "expected: " + word + " N");
      if (haveNotes) fail(line, "'" + word + "' must come before the patterns");
      if (word == "tempo")
        song.tempo = needInt(t[1], 20, 300, "tempo", line);
      else
        song.beats = needInt(t[1], 1, 16, "bar", line);
    } else if (word == "track") {
      readTrack(song, t, line);
    } else if (word == "drum") {
      if (t.size() != 3 && t.size() != 4) fail(line, "expected: drum NAME KEY [VELOCITY]");
      if (t[1] == "r" || t[1].find('+') != std::string::npos) fail(line, "a drum cannot be named '" + t[1] + "'");
      if (song.drumNames.count(t[1])) fail(line, "drum '" + t[1] + "' is named twice");
      Drum drum{needInt(t[2], 0, 127, "drum key", line), t.size() == 4 ? needInt(t[3], 1, 127, "velocity", line) : 100};
      song.drumNames[t[1]] = drum;
    } else if (word == "pattern") {
      if (t.size() != 3) fail(line, "expected: pattern NAME TRACK");
      if (song.patterns.count(t[1])) fail(line, "pattern '" + t[1] + "' is named twice");
      size_t track = findTrack(song, t[2], line);
      pattern = &song.patterns[t[1]];
      pattern->track = track;
      where = kPattern;
      openedAt = line;
      haveNotes = true;
    } else if (word == "song") {
      if (t.size() != 1) fail(line, "expected: song");
      if (song.haveSong) fail(line, "a second song");
      song.haveSong = true;
      where = kSong;
      openedAt = line;
    } else {
      fail(line, "unknown word '" + word + "'");
    }
  }
  if (where == kPattern) fail(openedAt, "the pattern has no 'end'");
  if (where == kSong) fail(openedAt, "the song has no 'end'");
  if (song.tempo == 0) fail(0, "no tempo");
  if (!song.haveSong || song.sections.empty()) fail(0, "no song, or an empty one");
  return song;
}

struct Event {
  long tick;
  int order;  // at one tick: settings, then note-offs, then note-ons
  std::vector<uint8_t> bytes;
};

void putVarLen(std::vector<uint8_t>& out, unsigned long v) {
  uint8_t buf[5];
  int n = 0;
  buf[n++] = v & 0x7f;
  while (v >>= 7) buf[n++] = 0x80 | (v & 0x7f);
  while (n > 0) out.push_back(buf[--n]);
}

void putBig(std::vector<uint8_t>& out, unsigned long v, int bytes) {
  for (int k = bytes - 1; k >= 0; --k) out.push_back((v >> (8 * k)) & 0xff);
}

std::vector<uint8_t> meta(int type, const std::vector<uint8_t>& data) {
  std::vector<uint8_t> b{0xff, static_cast<uint8_t>(type)};
  putVarLen(b, data.size());
  b.insert(b.end(), data.begin(), data.end());
  return b;
}

std::vector<uint8_t> text(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

std::vector<uint8_t> chunk(std::vector<Event> events, long end) {
  std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
    return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
  });
  events.push_back(Event{end, 9, meta(0x2f, {})});
  std::vector<uint8_t> body;
  long now = 0;
  for (const Event& e : events) {
    putVarLen(body, static_cast<unsigned long>(e.tick - now));
    now = e.tick;
    body.insert(body.end(), e.bytes.begin(), e.bytes.end());
  }
  std::vector<uint8_t> out = text("MTrk");
  putBig(out, body.size(), 4);
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

std::vector<uint8_t> writeMidi(const Song& song) {
  const long barTicks = song.beats * kQuarter;
  std::vector<std::vector<Event>> tracks(song.tracks.size());
  for (size_t k = 0; k < song.tracks.size(); ++k) {
    const Track& t = song.tracks[k];
    uint8_t ch = static_cast<uint8_t>(t.channel - 1);
    tracks[k].push_back(Event{0, 0, meta(0x03, text(t.name))});
    if (t.program >= 0)
      tracks[k].push_back(Event{0, 0, {static_cast<uint8_t>(0xc0 | ch), static_cast<uint8_t>(t.program)}});
    tracks[k].push_back(Event{0, 0, {static_cast<uint8_t>(0xb0 | ch), 7, static_cast<uint8_t>(t.volume)}});
    tracks[k].push_back(Event{0, 0, {static_cast<uint8_t>(0xb0 | ch), 10, static_cast<uint8_t>(t.pan)}});
  }
  long at = 0;
  for (const Section& s : song.sections) {
    size_t bars = 0;
    for (const auto& part : s.parts) {
      size_t n = 0;
      for (const Pattern* p : part.second) n += p->bars.size();
      bars = std::max(bars, n);
    }
    for (const auto& part : s.parts) {
      std::vector<const Bar*> line;
      for (const Pattern* p : part.second)
        for (const Bar& b : p->bars) line.push_back(&b);
      if (bars % line.size() != 0)
        fail(s.line, "track '" + song.tracks[part.first].name + "' has " + std::to_string(line.size()) +
                         " bars, which do not fill the section's " + std::to_string(bars));
    }
    for (int rep = 0; rep < s.times; ++rep) {
      for (const auto& part : s.parts) {
        const Track& t = song.tracks[part.first];
        uint8_t ch = static_cast<uint8_t>(t.channel - 1);
        std::vector<const Bar*> line;
        for (const Pattern* p : part.second)
          for (const Bar& b : p->bars) line.push_back(&b);
        for (size_t b = 0; b < bars; ++b) {
          long barStart = at + static_cast<long>(b) * barTicks;
          for (const Note& n : *line[b % line.size()]) {
            long on = barStart + n.start;
            long off = on + std::max(1L, n.length * t.gate / 100);
            uint8_t key = static_cast<uint8_t>(n.key);
            uint8_t velocity = static_cast<uint8_t>(n.velocity);
            tracks[part.first].push_back(Event{on, 2, {static_cast<uint8_t>(0x90 | ch), key, velocity}});
            tracks[part.first].push_back(Event{off, 1, {static_cast<uint8_t>(0x80 | ch), key, 0}});
          }
        }
      }
      at += static_cast<long>(bars) * barTicks;
    }
  }

  std::vector<uint8_t> out = text("MThd");
  putBig(out, 6, 4);
  putBig(out, 1, 2);
  putBig(out, song.tracks.size() + 1, 2);
  putBig(out, kQuarter, 2);

  std::vector<Event> conductor;
  conductor.push_back(Event{0, 0, meta(0x03, text("Tavrok theme"))});
  conductor.push_back(Event{0, 0, meta(0x58, {static_cast<uint8_t>(song.beats), 2, 24, 8})});
  std::vector<uint8_t> tempo;
  putBig(tempo, (60000000L + song.tempo / 2) / song.tempo, 3);
  conductor.push_back(Event{0, 0, meta(0x51, tempo)});
  std::vector<uint8_t> c = chunk(conductor, at);
  out.insert(out.end(), c.begin(), c.end());
  for (const auto& t : tracks) {
    c = chunk(t, at);
    out.insert(out.end(), c.begin(), c.end());
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: tavrok-midigen IN.txt OUT.mid\n");
    return 2;
  }
  std::ifstream in(argv[1]);
  if (!in) {
    std::fprintf(stderr, "%s: cannot read it\n", argv[1]);
    return 2;
  }
  std::vector<uint8_t> midi;
  try {
    midi = writeMidi(readSong(in));
  } catch (const Failure& f) {
    if (f.line > 0)
      std::fprintf(stderr, "%s:%d: %s\n", argv[1], f.line, f.what.c_str());
    else
      std::fprintf(stderr, "%s: %s\n", argv[1], f.what.c_str());
    return 2;
  }
  std::ofstream out(argv[2], std::ios::binary);
  out.write(reinterpret_cast<const char*>(midi.data()), static_cast<std::streamsize>(midi.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "%s: cannot write it\n", argv[2]);
    return 2;
  }
  return 0;
}
