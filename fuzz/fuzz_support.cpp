#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tovr.h"

namespace tovr::fuzz {
namespace {

int drop_console(const char*) { return 0; }
int drop_file_message(void*, const char*) { return 0; }

constexpr char kMarker[] = "%%% ";

}  // namespace

void init_library() {
  static const bool started = [] {
    TOVR_LibInit();
    TOVR_cbSet(TOVRCB_Printf, reinterpret_cast<TOVR_Callback>(&drop_console));
    TOVR_cbSet(TOVRCB_Fprintf, reinterpret_cast<TOVR_Callback>(&drop_file_message));
    return true;
  }();
  (void)started;
}

std::vector<Section> split_sections(const std::uint8_t* data, std::size_t size,
                                    const std::string& first_name) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<Section> sections{{first_name, {}}};
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    end = end == std::string::npos ? text.size() : end + 1;
    const std::string line = text.substr(pos, end - pos);
    if (line.compare(0, sizeof kMarker - 1, kMarker) == 0) {
      std::string name = line.substr(sizeof kMarker - 1);
      while (!name.empty() && (name.back() == '\n' || name.back() == '\r')) name.pop_back();
      sections.push_back({name, {}});
    } else {
      sections.back().bytes += line;
    }
    pos = end;
  }
  return sections;
}

const Section* find_section(const std::vector<Section>& sections, const std::string& name) {
  for (const Section& s : sections) {
    if (s.name == name) return &s;
  }
  return nullptr;
}

std::string c_text(const std::string& bytes) { return std::string(bytes.c_str()); }

void require(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

}  // namespace tovr::fuzz
