// Runs a fuzz target without libFuzzer: over a few seeds and then a bounded number of random
// mutations of them (bytes flipped, cut, repeated, spliced), the same every run.
//   fuzz_TARGET [ROUNDS]

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

std::vector<std::string> Seeds() {
  std::string szdd("SZDD\x88\xf0\x27\x33\x41\x00", 10);
  szdd += std::string("\x40\x00\x00\x00", 4);
  szdd += std::string(
      "\xff"
      "abcdefgh"
      "\x00"
      "ijklmn"
      "\xf0\xf3"
      "\x03"
      "xy",
      19);
  return {
      "",
      "\"Product\" \"C:\\Location\" \"123456\" \"MARKER.EXE\" \"oM:@I\\DATA\" \"E:A.EX_>A.EXE\"",
      "remark \"P\"\n\"L\"\n\"1\"\n\"M\"\n\"S:2!PROG.EX_>PROG.EXE\" \"uX:T!-q\" \"open",
      szdd,
      std::string("SZDD\x88\xf0\x27\x33\x41\x00\xff\xff\xff\x7f\x00\x01\x02", 17),
  };
}

}  // namespace

int main(int argc, char** argv) {
  const long rounds = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 10000;
  const std::vector<std::string> seeds = Seeds();
  std::mt19937 random(20261208);
  for (const std::string& seed : seeds) {
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(seed.data()), seed.size());
  }
  std::string input;
  for (long round = 0; round < rounds; ++round) {
    if (round % 64 == 0 || input.empty()) input = seeds[random() % seeds.size()];
    switch (random() % 6) {
      case 0:
        if (!input.empty())
          input[random() % input.size()] ^= static_cast<char>(1 << (random() % 8));
        break;
      case 1:
        if (!input.empty()) input[random() % input.size()] = static_cast<char>(random());
        break;
      case 2:
        input.resize(random() % (input.size() + 1));
        break;
      case 3:
        input.insert(random() % (input.size() + 1), 1, "\"\\@:!>SZDou\x00\xff"[random() % 14]);
        break;
      case 4: {
        const std::size_t from = random() % (input.size() + 1);
        input += input.substr(from, random() % 64);
        break;
      }
      default: {
        const std::string& other = seeds[random() % seeds.size()];
        input.insert(random() % (input.size() + 1), other.substr(0, random() % (other.size() + 1)));
      }
    }
    if (input.size() > 70000) input.resize(70000);
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
  }
  std::printf("%ld inputs passed\n", rounds + static_cast<long>(seeds.size()));
  return 0;
}
