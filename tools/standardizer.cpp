#include "standardizer.h"

#include <cstring>

#include "host_io.h"
#include "standardizer_layouts.h"
#include "text.h"

namespace tovr::cli {
namespace {

// The record buffers the library writes: the input area and the original record hold at
// most 1024 characters and a terminator; the auxiliary text gathers literals, fields and
// the original record. Generous sizes cost nothing and keep every write inside.
constexpr size_t kRecordBuffer = 4096;
constexpr size_t kAuxBuffer = 16384;

}  // namespace

Standardizer::Standardizer()
    : input_area_(kRecordBuffer), aux_(kAuxBuffer), original_(kRecordBuffer) {}

Standardizer::~Standardizer() {
  if (stan_ != nullptr) TOVR_asCloseStan(stan_);
  if (mk_ != nullptr) TOVR_mkClose(mk_);
}

bool Standardizer::compile(const std::string& spec_path, std::string* error) {
  if (TOVR_mkInit(&mk_) != 0) {
    *error = "no memory for the match key control block";
    return false;
  }
  HostIo::set_base_directory(directory_of(spec_path));
  short compiled = TOVR_asStanComp(spec_path.c_str(), &stan_, mk_, &total_key_length_);
  if (compiled != 0) {
    *error = spec_path + ": the specification did not compile (see the messages above)";
    return false;
  }
  if (TOVR_asSetNewFormats(stan_) != 0) {
    *error = spec_path + ": the input formats could not be prepared";
    return false;
  }
  keys_.assign(static_cast<size_t>(total_key_length_ < 0 ? 0 : total_key_length_) + kRecordBuffer,
               '\0');
  return load_layouts(spec_path, error);
}

bool Standardizer::load_layouts(const std::string& spec_path, std::string* error) {
  std::vector<std::string> names;
  if (!standardizer_layouts(spec_path, &names)) {
    *error = spec_path + ": cannot read the specification";
    return false;
  }
  for (const std::string& name : names) {
    short count = 0;
    if (TOVR_mkGetNumFields(mk_, name.c_str(), &count) != 0) continue;
    Layout layout{name, {}};
    for (short i = 1; i <= count; ++i) {
      char field[4] = {};
      char type[4] = {};
      short offset = 0;
      short length = 0;
      if (TOVR_mkGetFieldDef(mk_, name.c_str(), i, field, type, &offset, &length) != 0) break;
      layout.fields.push_back({field, type, offset, length});
    }
    layouts_.push_back(std::move(layout));
  }
  return true;
}

const Layout* Standardizer::layout(const std::string& name) const {
  for (const Layout& l : layouts_) {
    if (iequals(l.name, name)) return &l;
  }
  return nullptr;
}

int Standardizer::next() {
  keys_[0] = '\0';
  aux_[0] = '\0';
  input_area_[0] = '\0';
  original_[0] = '\0';
  return TOVR_asProcStan(stan_, input_area_.data(), keys_.data(), aux_.data(), &first_call_,
                         original_.data());
}

std::string Standardizer::keys() const {
  std::string text(keys_.data(), strnlen(keys_.data(), keys_.size()));
  if (total_key_length_ > 0) text.resize(static_cast<size_t>(total_key_length_), ' ');
  return text;
}

std::string Standardizer::original_record() const {
  return std::string(original_.data(), strnlen(original_.data(), original_.size()));
}

std::string Standardizer::value(const std::string& layout, const std::string& field) const {
  char out[300] = {};
  for (const Layout& l : layouts_) {
    if (!iequals(l.name, layout)) continue;
    for (const FieldDef& f : l.fields) {
      if (!iequals(f.name, field)) continue;
      // A field is at most 256 characters; out holds it and the terminator.
      if (TOVR_mkGet(mk_, l.name.c_str(), f.name.c_str(), out) != 0) return "";
      return trim(out);
    }
  }
  return "";
}

bool Standardizer::set(const std::string& layout, const std::string& field,
                       const std::string& value) {
  std::vector<char> copy(value.begin(), value.end());
  copy.push_back('\0');
  return TOVR_mkSet(mk_, layout.c_str(), field.c_str(), copy.data()) == 0;
}

void Standardizer::clear() {
  for (const Layout& l : layouts_) TOVR_mkClear(mk_, l.name.c_str());
}

std::string Standardizer::fields_text() const {
  std::vector<std::string> parts;
  for (const Layout& l : layouts_) {
    for (const FieldDef& f : l.fields) {
      std::string v = value(l.name, f.name);
      if (v.empty()) continue;
      std::string name = layouts_.size() > 1 ? l.name + "." + f.name : f.name;
      parts.push_back(name + "=" + v);
    }
  }
  return join(parts, "; ");
}

std::string Standardizer::status_text(int status) {
  // The library asks for at least 65 characters.
  char text[128] = {};
  TOVR_asQueryCodeEnum(status, text);
  return trim(text);
}

bool Standardizer::is_record_error(int status) {
  switch (status) {
    case 12:
    case 13:
    case 14:
    case 15:
    case 16:
    case 17:
    case 18:
    case 19:
    case 20:
    case 21:
    case 22:
    case 24:
    case 25:
    case 26:
    case 27:
    case 28:
    case 29:
    case 31:
    case 33:
      return true;
    default:
      return false;
  }
}

}  // namespace tovr::cli
