// tovr geocode: locates addresses on a street-segment reference file.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "args.h"
#include "candidates.h"
#include "commands.h"
#include "host_io.h"
#include "input_files.h"
#include "progress.h"
#include "report.h"
#include "scorer.h"
#include "standardizer.h"
#include "street_index.h"
#include "text.h"
#include "usage.h"

namespace tovr::cli {
namespace {

struct Options {
  std::string spec;
  std::string rules;
  std::string reference;
  std::string index;
  std::string key;
  std::string street = "SN";
  std::string number = "HN";
  double threshold = 700;
  std::optional<double> cutoff;
  bool explain = false;
  bool quiet = false;
  std::vector<std::string> inputs;
};

std::optional<int> parse_options(int argc, char** argv, int first, Options* o) {
  Args args;
  std::string error;
  if (!args.parse(argc, argv, first,
                  {{"spec", true},
                   {"rules", true},
                   {"reference", true},
                   {"index", true},
                   {"key", true},
                   {"street", true},
                   {"number", true},
                   {"threshold", true},
                   {"cutoff", true},
                   {"explain", false},
                   {"quiet", false}},
                  &error)) {
    return usage_error("geocode", error);
  }
  if (args.has("help")) return show_usage(kGeocodeUsage);
  o->spec = args.value("spec");
  o->rules = args.value("rules");
  o->reference = args.value("reference");
  if (o->spec.empty() || o->rules.empty() || o->reference.empty()) {
    return usage_error("geocode", "--spec, --rules and --reference are required");
  }
  o->index = args.value("index");
  o->key = args.value("key");
  o->street = args.value("street", "SN");
  o->number = args.value("number", "HN");
  if (!args.number("threshold", 1, 900, 700, &o->threshold, &error)) {
    return usage_error("geocode", error);
  }
  if (args.has("cutoff")) {
    double cutoff = 0;
    if (!args.number("cutoff", -32768, 32767, 0, &cutoff, &error)) {
      return usage_error("geocode", error);
    }
    o->cutoff = cutoff;
  }
  o->explain = args.has("explain");
  o->quiet = args.has("quiet");
  o->inputs = args.positionals();
  return std::nullopt;
}

// The columns of the street name: the candidate variable compared with the street field,
// preferably by the string comparator.
const RulesVariable* street_variable(const RulesOutline& rules, const std::string& field) {
  const RulesComparison* c = rules.comparison("UNCERT", field);
  if (c == nullptr) c = rules.comparison("CHAR", field);
  if (c == nullptr || c->variables.empty()) return nullptr;
  const RulesVariable* v = rules.variable(c->variables[0]);
  return v != nullptr && v->start >= 0 && v->length > 0 ? v : nullptr;
}

long number_of(const std::string& record, const RulesVariable* v) {
  long n = -1;
  if (v == nullptr || v->start < 0 || static_cast<size_t>(v->start) >= record.size()) return -1;
  if (!parse_long(trim(record.substr(v->start, v->length)), &n)) return -1;
  return n;
}

// Writes the number 0, right-justified, over a candidate field.
void write_zero(std::string* record, const RulesVariable* v) {
  if (v == nullptr || v->start < 0 || v->length <= 0) return;
  for (int i = v->start; i < v->start + v->length && static_cast<size_t>(i) < record->size(); ++i) {
    (*record)[i] = ' ';
  }
  size_t last = static_cast<size_t>(v->start + v->length - 1);
  if (last < record->size()) (*record)[last] = '0';
}

// The address ranges of a segment: the four variables of the double interval comparison
// (left low, left high, right low, right high).
struct Ranges {
  const RulesVariable* v[4] = {};
};

// A side whose two ends are both odd or both even holds only such numbers. The matcher's
// double interval takes the left range whenever it holds the number, odd or even; so when
// exactly one side has the parity of the house number, the other side's range becomes 0 to
// 0 in the candidate record: a range that holds no house number disagrees, and the matcher
// finds the side the address lies on. (A blank range would count as missing and give the
// middle weight, which is more than a number beyond every range of the street deserves.)
std::string prepare(const std::string& record, const Ranges& ranges, long house) {
  if (house < 0 || ranges.v[0] == nullptr) return record;
  int parity[2] = {-1, -1};
  for (int side = 0; side < 2; ++side) {
    long low = number_of(record, ranges.v[2 * side]);
    long high = number_of(record, ranges.v[2 * side + 1]);
    if (low >= 0 && high >= 0 && low % 2 == high % 2) parity[side] = static_cast<int>(low % 2);
  }
  int wanted = static_cast<int>(house % 2);
  std::string prepared = record;
  for (int side = 0; side < 2; ++side) {
    int other = 1 - side;
    if (parity[side] == wanted && parity[other] == 1 - wanted) {
      write_zero(&prepared, ranges.v[2 * other]);
      write_zero(&prepared, ranges.v[2 * other + 1]);
    }
  }
  return prepared;
}

struct Row {
  std::string address;
  std::string result;
  Scored best;
  std::string segment;
  std::vector<FieldScore> fields;
};

// Rows are written as addresses are located, so the address column has a fixed width;
// longer addresses push their row to the right.
constexpr int kAddressWidth = 34;

void print_header() {
  std::printf("%-*s  %-9s  %6s  %4s  %8s  %s\n", kAddressWidth, "ADDRESS", "RESULT", "WEIGHT",
              "SIDE", "POSITION", "SEGMENT");
}

void print_row(const Row& r, bool explain) {
  if (r.segment.empty()) {
    std::printf("%-*s  %s\n", kAddressWidth, r.address.c_str(), r.result.c_str());
    return;
  }
  std::printf("%-*s  %-9s  %6d  %4c  %8.1f  %s\n", kAddressWidth, r.address.c_str(),
              r.result.c_str(), r.best.weight, side_mark(r.best.side), r.best.position,
              r.segment.c_str());
  if (explain) print_explanation(stdout, r.fields, "    ");
}

class Geocoder {
 public:
  Geocoder(const Options& o, Standardizer& stan, const CandidateFile& reference, StreetIndex& index,
           Scorer& scorer, const std::string& layout)
      : o_(o), stan_(stan), reference_(reference), index_(index), scorer_(scorer), layout_(layout) {
    cutoff_ = o.cutoff ? o.cutoff : scorer.outline().cutoff();
    const RulesComparison* d = scorer.outline().comparison("D_INT", o.number);
    for (size_t i = 0; d != nullptr && i < 4 && i < d->variables.size(); ++i) {
      ranges_.v[i] = scorer.outline().variable(d->variables[i]);
    }
  }

  // Locates the address now in the match key.
  bool locate(Row* row, std::string* error) {
    std::vector<long> lines;
    std::string street = stan_.value(layout_, o_.street);
    if (street.empty()) {
      row->result = "no-street";
      return true;
    }
    if (!index_.find(street, static_cast<float>(o_.threshold), &lines, error)) return false;
    long house = -1;
    if (!parse_long(stan_.value(layout_, o_.number), &house)) house = -1;
    std::vector<Candidate> candidates;
    for (long line : lines) {
      if (reference_.record(line).empty()) continue;
      candidates.push_back({line, prepare(reference_.record(line), ranges_, house)});
    }
    std::vector<Scored> best;
    if (!scorer_.score(candidates, 1, &best, error)) return false;
    if (best.empty()) {
      row->result = "not-found";
      return true;
    }
    row->best = best[0];
    row->segment = display_record(reference_.record(row->best.line));
    row->result = cutoff_ ? (row->best.weight >= *cutoff_ ? "located" : "uncertain") : "best";
    if (!o_.explain) return true;
    for (const Candidate& c : candidates) {
      if (c.line == row->best.line) return scorer_.explain(c, &row->fields, error);
    }
    return true;
  }

 private:
  const Options& o_;
  Standardizer& stan_;
  const CandidateFile& reference_;
  StreetIndex& index_;
  Scorer& scorer_;
  std::string layout_;
  std::optional<double> cutoff_;
  Ranges ranges_;
};

}  // namespace

int run_geocode(int argc, char** argv, int first) {
  Options o;
  if (std::optional<int> done = parse_options(argc, argv, first, &o)) return *done;

  std::string error;
  Standardizer stan;
  CandidateFile reference;
  InputFiles inputs;
  if (!stan.compile(o.spec, &error) || !reference.read(o.reference, &error) ||
      !inputs.open(o.inputs, &error)) {
    report_error(error);
    return kExitFailure;
  }
  std::string layout = o.key.empty() && !stan.layouts().empty() ? stan.layouts()[0].name : o.key;
  if (stan.layout(layout) == nullptr) {
    report_error(o.spec + ": no match key layout '" + layout + "'");
    return kExitFailure;
  }
  Scorer scorer(stan);
  if (!scorer.load(o.rules, layout, "", &error)) {
    report_error(error);
    return kExitFailure;
  }
  scorer.set_record_width(reference.width());
  const RulesVariable* street = street_variable(scorer.outline(), o.street);
  if (street == nullptr) {
    report_error(o.rules + ": no comparison of the street field " + o.street +
                 " with a candidate variable at known columns");
    return kExitFailure;
  }
  StreetIndex index;
  if (!index.open(o.index, reference, street->start, street->length, &error)) {
    report_error(error);
    return kExitFailure;
  }
  Geocoder geocoder(o, stan, reference, index, scorer, layout);

  HostIo::set_record_input(inputs.sources());
  Progress progress("addresses", !o.quiet);
  print_header();
  int exit_status = kExitOk;
  int status = 0;
  while ((status = stan.next()) != kEndOfInput) {
    progress.step();
    std::string where = HostIo::input_name() + ":" + std::to_string(HostIo::input_line());
    Row row;
    row.address = collapse_blanks(stan.original_record());
    if (status != 0) {
      exit_status = kExitFailure;
      report_error(where + ": address not standardized: " + Standardizer::status_text(status));
      if (!Standardizer::is_record_error(status)) break;
      row.result = "error";
    } else if (!geocoder.locate(&row, &error)) {
      report_error(where + ": " + error);
      exit_status = kExitFailure;
      break;
    }
    print_row(row, o.explain);
  }
  progress.finish();
  HostIo::set_record_input({});
  return exit_status;
}

}  // namespace tovr::cli
