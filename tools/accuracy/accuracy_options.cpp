#include "accuracy_options.h"

#include <charconv>
#include <cstdint>
#include <cstring>

namespace accuracy {

const char* AccuracyUsage() {
  return "usage: kestrix-accuracy --script F [--keep DIR] [--free] [--json] [--demo DIR] "
         "[--bin DIR]\n"
         "                        [--data-bi FILE] [--sensor PROGRAM]\n"
         "  Plays the session script F (a path, or a name in the demo folder) on the simulated\n"
         "  cameras with kestrix-headless and kestrix-client, and compares every delivered shot\n"
         "  with the simulated truth.\n"
         "  --keep DIR   run in DIR (new or empty) and keep its files\n"
         "  --free       free-running cameras: the session takes as long as the sensor needs\n"
         "  --json       one JSON object instead of the table\n"
         "  --demo DIR   the installation to copy (default: the repository's data/demo)\n"
         "  --bin DIR    where kestrix-headless and kestrix-client are (default: the build's)\n"
         "  --data-bi F  the flight table (default: the build's)\n"
         "  --sensor P   run the sensor program P instead of kestrix-headless, with the same\n"
         "               options, directory and environment; with no DISPLAY, WAYLAND_DISPLAY\n"
         "               or QT_QPA_PLATFORM set it gets QT_QPA_PLATFORM=offscreen, so that the\n"
         "               windowed kestrix-sensor runs without a display\n"
         "  Exit status: 0 every shot delivered once, 1 a shot not delivered or delivered twice\n"
         "  or a false shot, 2 usage errors or programs that could not be run.\n"
         "\n"
         "usage: kestrix-accuracy --soak N [--seed S] [--hands both|right|left] [--warm-up W]\n"
         "                        [--keep DIR] [--json] [--demo DIR] [--bin DIR] [--data-bi F]\n"
         "                        [--sensor PROGRAM]\n"
         "  The soak: a round of N shots in every club area with putts and practice swings,\n"
         "  generated from the seed S (default 1), on free-running cameras; with both hands\n"
         "  (the default) half of them in a right-handed bay and half in a left-handed one, a\n"
         "  sensor run each. Samples the sensor's resident memory and open descriptors; prints\n"
         "  what was delivered, the memory and descriptors after W shots (default 50) and at\n"
         "  the end, the shots per second and the accuracy by shot kind. --keep DIR keeps each\n"
         "  hand's run in DIR/right and DIR/left, with the samples in soak_samples.csv.\n"
         "  Exit status 1 also when the descriptors grew.\n";
}

namespace {

bool WholeNumber(const char* text, long long lo, long long hi, long long* value) {
  const char* end = text + std::strlen(text);
  const auto parsed = std::from_chars(text, end, *value);
  return parsed.ec == std::errc() && parsed.ptr == end && *value >= lo && *value <= hi;
}

}  // namespace

bool ParseAccuracyOptions(int argc, const char* const* argv, AccuracyOptions* options,
                          std::string* error) {
  *options = AccuracyOptions{};
  struct Valued {
    const char* name;
    std::string* value;
  };
  std::string soak, seed, warmUp, hands;
  const Valued valued[] = {{"--script", &options->script},
                           {"--keep", &options->keep},
                           {"--demo", &options->demo},
                           {"--bin", &options->bin},
                           {"--data-bi", &options->dataBi},
                           {"--sensor", &options->sensor},
                           {"--soak", &soak},
                           {"--seed", &seed},
                           {"--hands", &hands},
                           {"--warm-up", &warmUp}};
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
      options->help = true;
      return true;
    }
    if (std::strcmp(arg, "--free") == 0) {
      options->freeRun = true;
      continue;
    }
    if (std::strcmp(arg, "--json") == 0) {
      options->json = true;
      continue;
    }
    bool known = false;
    for (const Valued& v : valued) {
      if (std::strcmp(arg, v.name) != 0) continue;
      if (i + 1 >= argc || argv[i + 1][0] == '\0') {
        *error = std::string(v.name) + " needs a value";
        return false;
      }
      *v.value = argv[++i];
      known = true;
    }
    if (!known) {
      *error = std::string("unknown option ") + arg;
      return false;
    }
  }
  if (soak.empty()) {
    if (!seed.empty() || !hands.empty() || !warmUp.empty()) {
      *error = "--seed, --hands and --warm-up go with --soak";
      return false;
    }
    if (options->script.empty()) {
      *error = "--script is required";
      return false;
    }
    return true;
  }
  if (!options->script.empty()) {
    *error = "--soak plays a session of its own; leave out --script";
    return false;
  }
  long long value = 0;
  if (!WholeNumber(soak.c_str(), 1, 1000000, &value)) {
    *error = "--soak takes a number of shots from 1 to 1000000";
    return false;
  }
  options->soakShots = static_cast<int>(value);
  options->freeRun = true;
  if (!seed.empty()) {
    if (!WholeNumber(seed.c_str(), 0, INT64_MAX, &value)) {
      *error = "--seed takes a whole number of 0 or more";
      return false;
    }
    options->seed = static_cast<uint64_t>(value);
  }
  if (!hands.empty()) {
    if (hands != "both" && hands != "right" && hands != "left") {
      *error = "--hands is both, right or left";
      return false;
    }
    options->hands = hands;
  }
  if (!warmUp.empty()) {
    if (!WholeNumber(warmUp.c_str(), 0, 1000000, &value)) {
      *error = "--warm-up takes a number of shots of 0 or more";
      return false;
    }
    options->warmUpShots = static_cast<int>(value);
  }
  return true;
}

}  // namespace accuracy
