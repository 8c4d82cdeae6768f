// Drives the score store for tests/store.sh.
//   tavrok-store-driver PATH COUNT FIRST
// adds COUNT entries scored FIRST, FIRST+1... (name "driver", no replay) to
// the table at PATH through add_entry, printing "added SCORE" as each is
// stored ("missed SCORE" when one does not reach the table).
//   tavrok-store-driver PATH check
// prints the table's scores, one a line; status 1 when loading it gave a
// message. Trouble: one line on standard error, status 1.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "store/skore.h"

namespace {

bool number(const char* s, uint64_t max, uint64_t& v) {
  char* end = nullptr;
  errno = 0;
  unsigned long long n = std::strtoull(s, &end, 10);
  if (*s < '0' || *s > '9' || *end || errno || n > max) return false;
  v = n;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string message;
  if (argc == 3 && std::string(argv[2]) == "check") {
    for (const Zapis& z : load_table(argv[1], message)) std::printf("%u\n", z.score);
    if (message.empty()) return 0;
    std::fprintf(stderr, "%s\n", message.c_str());
    return 1;
  }
  uint64_t count = 0, first = 0;
  if (argc != 4 || !number(argv[2], UINT32_MAX, count) || !number(argv[3], UINT32_MAX - count, first)) {
    std::fprintf(stderr, "usage: tavrok-store-driver PATH COUNT FIRST | PATH check\n");
    return 1;
  }
  for (uint64_t i = 0; i < count; i++) {
    Zapis z;
    z.name = "driver";
    z.score = static_cast<uint32_t>(first + i);
    z.cave = 1;
    z.when = std::time(nullptr);
    int rank = add_entry(argv[1], z, message);
    if (!message.empty()) {
      std::fprintf(stderr, "%s\n", message.c_str());
      return 1;
    }
    std::printf("%s %u\n", rank ? "added" : "missed", z.score);
    std::fflush(stdout);
  }
  return 0;
}
