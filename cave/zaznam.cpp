#include "cave/zaznam.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "cave/load.h"
#include "cave/sets/sets.h"

Zaznam zaznam_hry;
bool prehravani;
std::string rozdil;

namespace {

bool hraje;             // a game started by hra() is under way
std::size_t tik;        // its ticks so far
std::size_t dalsi;      // in a playback: the record's next end of a cave
std::size_t od;         // the tick after which the current cave started

constexpr std::array<const char*, 6> KONEC_JMENA = {"went on", "died", "completed", "gameover", "set-completed", "quit"};

std::array<uint8_t*, CHEAT_JMENA.size()> cheat_flags() { return {&tziv, &tcas, &tsutr, &tpavouk, &tvodaturbo}; }

bool same(const KonecJeskyne& a, const KonecJeskyne& b) {
  return a.tick == b.tick && a.what == b.what && a.cave == b.cave && a.sc == b.sc && a.zi == b.zi;
}

std::string popis(const KonecJeskyne& e) {
  if (e.what == HRAJE) return KONEC_JMENA[HRAJE];
  return std::string(KONEC_JMENA[e.what]) + " (score " + std::to_string(e.sc) + ", lives " + std::to_string(e.zi) +
         ")";
}

}  // namespace

void zaznam_novy() {
  hraje = true;
  tik = dalsi = od = 0;
  rozdil.clear();
  if (prehravani) return;
  const CaveSet* s = set_of(nazev);
  zaznam_hry = {};
  zaznam_hry.set = s ? s->name : "";
  zaznam_hry.bl = bl;
  zaznam_hry.start = tstart;
  for (size_t i = 0; i < CHEAT_JMENA.size(); i++) zaznam_hry.cheats[i] = *cheat_flags()[i];
  zaznam_hry.nahoda = nahoda_stav;
  zaznam_hry.smer = smer;
}

void zaznam_tik() {
  if (!hraje) return;
  tik++;
  if (!prehravani) zaznam_hry.ticks.push_back(0);
}

bool vstup(Klic k, bool also) {
  if (!hraje || tik == 0) return also || held(k);
  // A playback ends where its record does, or when the watcher holds ESC.
  if (prehravani)
    return tik <= zaznam_hry.ticks.size() ? (zaznam_hry.ticks[tik - 1] >> k & 1) || (k == KL_ESC && held(k))
                                          : k == KL_ESC;
  const bool on = also || held(k);
  if (on) zaznam_hry.ticks[tik - 1] |= static_cast<uint8_t>(1 << k);
  return on;
}

bool bonus_esc(int step) {
  if (!hraje) return held(KL_ESC);
  if (prehravani) return dalsi > 0 && zaznam_hry.ends[dalsi - 1].cut == step;
  const bool on = held(KL_ESC);
  if (on && !zaznam_hry.ends.empty()) zaznam_hry.ends.back().cut = step;
  return on;
}

bool zaznam_konec(Konec k) {
  if (!hraje) return true;
  const KonecJeskyne e{tik, k, aksektor, sc, zi, 0};
  if (!prehravani) {
    if (k != HRAJE) zaznam_hry.ends.push_back(e);
    return true;
  }
  const KonecJeskyne* want = dalsi < zaznam_hry.ends.size() ? &zaznam_hry.ends[dalsi] : nullptr;
  const bool due = want && want->tick == tik;
  if (k == HRAJE && !due) return true;
  if (due && same(e, *want)) {
    dalsi++;
    od = tik;
    return true;
  }
  rozdil = "cave " + std::to_string(aksektor) + ", tick " + std::to_string(tik - od) + ": played " + popis(e) +
           "; recorded " + (due ? popis(*want) : KONEC_JMENA[HRAJE]);
  return false;
}

void zaznam_vysledek(Konec k) {
  if (!hraje) return;
  hraje = false;
  const KonecJeskyne e{0, k, aksektor, sc, zi, 0};
  if (!prehravani)
    zaznam_hry.result = e;
  else if (rozdil.empty() && !same(e, zaznam_hry.result))
    rozdil = "the game ended " + popis(e) + " in cave " + std::to_string(aksektor) + "; recorded " +
             popis(zaznam_hry.result) + " in cave " + std::to_string(zaznam_hry.result.cave);
}

Konec prehraj() {
  // What the program's own games carry on with.
  const uint8_t* nazev0 = nazev;
  const uint8_t bl0 = bl;
  const uint32_t tstart0 = tstart;
  std::array<uint8_t, CHEAT_JMENA.size()> cheats0;
  for (size_t i = 0; i < CHEAT_JMENA.size(); i++) cheats0[i] = *cheat_flags()[i];
  const Nahoda nahoda0 = nahoda_stav;
  const std::array<uint8_t, GSIZE> smer0 = smer;

  nazev = find_set(zaznam_hry.set)->data;
  bl = zaznam_hry.bl;
  tstart = zaznam_hry.start;
  for (size_t i = 0; i < CHEAT_JMENA.size(); i++) *cheat_flags()[i] = zaznam_hry.cheats[i];
  nahoda_stav = zaznam_hry.nahoda;
  smer = zaznam_hry.smer;
  prehravani = true;
  const Konec k = hra();
  prehravani = false;

  nazev = nazev0;
  bl = bl0;
  tstart = tstart0;
  for (size_t i = 0; i < CHEAT_JMENA.size(); i++) *cheat_flags()[i] = cheats0[i];
  nahoda_stav = nahoda0;
  smer = smer0;
  return k;
}

bool bez_pomoci(const Zaznam& z) {
  if (z.set.empty() || z.start != 1) return false;
  for (uint8_t c : z.cheats)
    if (c) return false;
  for (uint8_t t : z.ticks)
    if (t & (1 << KL_F11 | 1 << KL_F12)) return false;
  return true;
}

namespace {

std::string konec_text(const char* head, const KonecJeskyne& e) {
  std::string s = std::string(head) + " " + KONEC_JMENA[e.what] + " " + std::to_string(e.cave) + " " +
                  std::to_string(e.sc) + " " + std::to_string(e.zi);
  if (e.cut) s += " cut " + std::to_string(e.cut);
  return s + "\n";
}

}  // namespace

std::string zaznam_text(const Zaznam& z) {
  std::string s = "tavrok-replay 1\nset " + z.set + "\nbonus-caves " + (z.bl ? "yes" : "no") + "\nstart " +
                  std::to_string(z.start) + "\ncheats";
  for (size_t i = 0; i < CHEAT_JMENA.size(); i++)
    if (z.cheats[i]) s += std::string(" ") + CHEAT_JMENA[i];
  s += "\nrandom " + std::to_string(z.nahoda.f) + " " + std::to_string(z.nahoda.b);
  for (uint32_t w : z.nahoda.r) s += " " + std::to_string(w);
  s += "\ndirections ";
  for (uint8_t d : z.smer) {
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02x", d);
    s += hex;
  }
  s += "\nticks\n";
  std::size_t e = 0;
  for (std::size_t t = 0; t < z.ticks.size(); t++) {
    std::string line;
    for (int k = 0; k < KL_COUNT; k++)
      if (z.ticks[t] >> k & 1) line += (line.empty() ? "" : " ") + std::string(KLIC_JMENA[k]);
    s += line + "\n";
    for (; e < z.ends.size() && z.ends[e].tick == t + 1; e++) s += konec_text("end", z.ends[e]);
  }
  return s + konec_text("result", z.result);
}

namespace {

bool cislo(const std::string& w, uint64_t max, uint64_t& v) {
  if (w.empty() || w.size() > 19 || w.find_first_not_of("0123456789") != std::string::npos) return false;
  v = std::strtoull(w.c_str(), nullptr, 10);
  return v <= max;
}

// "WHAT CAVE SCORE LIVES [cut STEP]" after the head word.
bool konec_cti(std::istringstream& words, KonecJeskyne& e, bool result) {
  std::string what, w[3], cut, step;
  uint64_t v[3], c = 0;
  words >> what >> w[0] >> w[1] >> w[2] >> cut >> step;
  std::size_t i = 1;
  while (i < KONEC_JMENA.size() && what != KONEC_JMENA[i]) i++;
  if (i == KONEC_JMENA.size() || (result && i != PROHRAL && i != PROSEL && i != ODESEL)) return false;
  for (int j = 0; j < 3; j++)
    if (!cislo(w[j], 0xFFFFFFFFu, v[j])) return false;
  if (!cut.empty() && (result || cut != "cut" || !cislo(step, 100000, c) || c == 0)) return false;
  std::string more;
  if (words >> more) return false;
  e.what = static_cast<Konec>(i);
  e.cave = static_cast<uint32_t>(v[0]);
  e.sc = static_cast<uint32_t>(v[1]);
  e.zi = static_cast<uint32_t>(v[2]);
  e.cut = static_cast<int>(c);
  return true;
}

}  // namespace

bool zaznam_cti(const std::string& text, Zaznam& z, std::string& why) {
  z = {};
  std::istringstream in(text);
  std::string line;
  int n = 0;
  auto fail = [&](const std::string& what) {
    why = "line " + std::to_string(n) + ": " + what;
    return false;
  };
  // The header, a line each, in this order.
  const char* const heads[] = {"tavrok-replay", "set", "bonus-caves", "start", "cheats", "random", "directions", "ticks"};
  const CaveSet* set = nullptr;
  for (const char* head : heads) {
    n++;
    if (!std::getline(in, line)) return fail(std::string("the file ends before '") + head + "'");
    std::istringstream words(line);
    std::string h, w, more;
    words >> h;
    if (h != head) return fail(std::string("not '") + head + "'");
    uint64_t v = 0;
    if (h == "tavrok-replay") {
      if (!(words >> w) || w != "1" || words >> more) return fail("not a replay of format 1");
    } else if (h == "set") {
      if (!(words >> z.set) || !(set = find_set(z.set)) || words >> more) return fail("no such cave set in this version");
    } else if (h == "bonus-caves") {
      if (!(words >> w) || (w != "yes" && w != "no") || words >> more) return fail("not yes or no");
      z.bl = w == "yes";
      if (z.bl && set == find_set("tavrok_s1")) return fail("that set has no bonus caves");
    } else if (h == "start") {
      if (!(words >> w) || !cislo(w, set->caves, v) || v == 0 || words >> more) return fail("not a cave of the set");
      z.start = static_cast<uint32_t>(v);
    } else if (h == "cheats") {
      while (words >> w) {
        size_t i = 0;
        while (i < CHEAT_JMENA.size() && w != CHEAT_JMENA[i]) i++;
        if (i == CHEAT_JMENA.size()) return fail("unknown cheat '" + w + "'");
        z.cheats[i] = 1;
      }
    } else if (h == "random") {
      uint64_t f = 0, b = 0;
      if (!(words >> w) || !cislo(w, 30, f) || !(words >> more) || !cislo(more, 30, b)) return fail("bad positions");
      z.nahoda.f = static_cast<int>(f);
      z.nahoda.b = static_cast<int>(b);
      for (uint32_t& r : z.nahoda.r) {
        if (!(words >> w) || !cislo(w, 0xFFFFFFFFu, v)) return fail("not 31 words");
        r = static_cast<uint32_t>(v);
      }
      if (words >> more) return fail("more than 31 words");
    } else if (h == "directions") {
      if (!(words >> w) || w.size() != 2 * GSIZE || w.find_first_not_of("0123456789abcdef") != std::string::npos ||
          words >> more)
        return fail("not " + std::to_string(GSIZE) + " bytes in hex");
      for (int i = 0; i < GSIZE; i++) z.smer[i] = static_cast<uint8_t>(std::stoi(w.substr(2 * i, 2), nullptr, 16));
    } else if (words >> more) {
      return fail("more after 'ticks'");
    }
  }
  // The ticks, the ends of caves after them, and the result last.
  bool done = false;
  while (std::getline(in, line)) {
    n++;
    if (done) return fail("after the result");
    std::istringstream words(line);
    std::string w;
    if (line.rfind("end ", 0) == 0 || line.rfind("result ", 0) == 0) {
      words >> w;
      KonecJeskyne e;
      if (!konec_cti(words, e, w == "result")) return fail("not WHAT CAVE SCORE LIVES");
      e.tick = w == "result" ? 0 : z.ticks.size();
      if (w == "result") {
        z.result = e;
        done = true;
      } else if (e.tick == 0 || (!z.ends.empty() && z.ends.back().tick == e.tick)) {
        return fail("an end with no tick of its own");
      } else {
        z.ends.push_back(e);
      }
      continue;
    }
    uint8_t keys = 0;
    while (words >> w) {
      int k = 0;
      while (k < KL_COUNT && w != KLIC_JMENA[k]) k++;
      if (k == KL_COUNT) return fail("unknown key '" + w + "'");
      keys |= static_cast<uint8_t>(1 << k);
    }
    z.ticks.push_back(keys);
  }
  if (!done) {
    n++;
    return fail("no result: the file is cut short");
  }
  return true;
}
