// A compiled standardizer as the tool uses it: the match key control block, the
// standardizer file compiled into it, the layouts it loaded, and the buffers of one record.
#pragma once

#include <string>
#include <vector>

#include "tovr.h"

namespace tovr::cli {

struct FieldDef {
  std::string name;
  std::string type;
  int offset = 0;
  int length = 0;
};

struct Layout {
  std::string name;
  std::vector<FieldDef> fields;
};

// Status of TOVR_asProcStan at the end of the input.
constexpr int kEndOfInput = 11;

class Standardizer {
 public:
  Standardizer();
  ~Standardizer();
  Standardizer(const Standardizer&) = delete;
  Standardizer& operator=(const Standardizer&) = delete;

  // Compiles the standardizer file; the library lists the problems on standard error. Relative
  // file names inside it are looked up beside it first.
  bool compile(const std::string& spec_path, std::string* error);

  TOVR_Mk* match_keys() const { return mk_; }
  const std::vector<Layout>& layouts() const { return layouts_; }
  // The layout of that name (any case), or null.
  const Layout* layout(const std::string& name) const;

  // Reads and standardizes the next record of the record input (HostIo). Returns the
  // library's status: 0 for a record, kEndOfInput at the end, another code for an error.
  int next();
  // The concatenated match keys of the last record, exactly the total key length.
  std::string keys() const;
  std::string original_record() const;

  // Value of a field of a layout, blanks trimmed; empty when the field does not exist.
  std::string value(const std::string& layout, const std::string& field) const;
  // Sets a field of a layout by the library's placement rules; false when it does not exist.
  bool set(const std::string& layout, const std::string& field, const std::string& value);
  // Blanks every field of every layout.
  void clear();
  // "HN=123; SN=MAIN; ST=ST": the fields that are not blank, in layout order; with more
  // than one layout each name is written as layout.field.
  std::string fields_text() const;

  static std::string status_text(int status);
  // True for statuses that concern one record only, after which the next record can still
  // be standardized; input, output, handle and set-up errors end a run.
  static bool is_record_error(int status);

 private:
  bool load_layouts(const std::string& spec_path, std::string* error);

  TOVR_Mk* mk_ = nullptr;
  TOVR_Stan* stan_ = nullptr;
  std::vector<Layout> layouts_;
  short total_key_length_ = 0;
  short first_call_ = 1;
  std::vector<char> input_area_;
  std::vector<char> keys_;
  std::vector<char> aux_;
  std::vector<char> original_;
};

}  // namespace tovr::cli
