// tovr: the command-line tool of the record linkage library.
#include <cstdio>
#include <cstring>

#include "commands.h"
#include "host_io.h"
#include "tovr.h"
#include "usage.h"

using namespace tovr::cli;

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs(kMainUsage, stderr);
    return kExitUsage;
  }
  const char* command = argv[1];
  if (std::strcmp(command, "--help") == 0 || std::strcmp(command, "-h") == 0 ||
      std::strcmp(command, "help") == 0) {
    if (argc > 2 && std::strcmp(command, "help") == 0) {
      const char* topic = argv[2];
      if (std::strcmp(topic, "standardize") == 0) return show_usage(kStandardizeUsage);
      if (std::strcmp(topic, "index") == 0) return show_usage(kIndexUsage);
      if (std::strcmp(topic, "match") == 0) return show_usage(kMatchUsage);
      if (std::strcmp(topic, "geocode") == 0) return show_usage(kGeocodeUsage);
      return usage_error("", std::string("no command '") + topic + "'");
    }
    return show_usage(kMainUsage);
  }
  if (std::strcmp(command, "--version") == 0) {
    std::printf("tovr %d.%d.%d\n", TOVR_VERSION_MAJOR, TOVR_VERSION_MINOR, TOVR_VERSION_PATCH);
    return kExitOk;
  }
  HostIo::install();
  int status = kExitUsage;
  if (std::strcmp(command, "standardize") == 0) {
    status = run_standardize(argc, argv, 2);
  } else if (std::strcmp(command, "index") == 0) {
    status = run_index(argc, argv, 2);
  } else if (std::strcmp(command, "match") == 0) {
    status = run_match(argc, argv, 2);
  } else if (std::strcmp(command, "geocode") == 0) {
    status = run_geocode(argc, argv, 2);
  } else {
    status = usage_error("", std::string("no command '") + command + "'");
  }
  TOVR_LibExit();
  return status;
}
