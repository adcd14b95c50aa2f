#include "accuracy_options.h"

#include <cstring>

namespace accuracy {

const char* AccuracyUsage() {
  return "usage: kestrix-accuracy --script F [--keep DIR] [--free] [--json] [--demo DIR] "
         "[--bin DIR] [--data-bi FILE]\n"
         "  Plays the session script F (a path, or a name in the demo folder) on the simulated\n"
         "  cameras with kestrix-headless and kestrix-client, and compares every delivered shot\n"
         "  with the simulated truth.\n"
         "  --keep DIR   run in DIR (new or empty) and keep its files\n"
         "  --free       free-running cameras: the session takes as long as the sensor needs\n"
         "  --json       one JSON object instead of the table\n"
         "  --demo DIR   the installation to copy (default: the repository's data/demo)\n"
         "  --bin DIR    where kestrix-headless and kestrix-client are (default: the build's)\n"
         "  --data-bi F  the flight table (default: the build's)\n"
         "  Exit status: 0 every shot delivered once, 1 a shot not delivered or delivered twice\n"
         "  or a false shot, 2 usage errors or programs that could not be run.\n";
}

bool ParseAccuracyOptions(int argc, const char* const* argv, AccuracyOptions* options,
                          std::string* error) {
  *options = AccuracyOptions{};
  struct Valued {
    const char* name;
    std::string* value;
  };
  const Valued valued[] = {{"--script", &options->script},
                           {"--keep", &options->keep},
                           {"--demo", &options->demo},
                           {"--bin", &options->bin},
                           {"--data-bi", &options->dataBi}};
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
  if (options->script.empty()) {
    *error = "--script is required";
    return false;
  }
  return true;
}

}  // namespace accuracy
