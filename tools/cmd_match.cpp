// tovr match: scores records against candidate records with a rules file.
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
#include "text.h"
#include "usage.h"

namespace tovr::cli {
namespace {

// Candidates of one case are numbered by signed 16-bit numbers.
constexpr size_t kMaxCandidates = 32767;

struct Options {
  std::string spec;
  std::string rules;
  std::string candidates;
  std::string key;
  std::vector<std::string> sets;
  std::vector<std::string> inputs;
  long top = 3;
  std::optional<double> cutoff;
  bool explain = false;
  std::string listing;
  bool quiet = false;
};

std::optional<int> parse_options(int argc, char** argv, int first, Options* o) {
  Args args;
  std::string error;
  if (!args.parse(argc, argv, first,
                  {{"spec", true},
                   {"rules", true},
                   {"candidates", true},
                   {"key", true},
                   {"set", true},
                   {"top", true},
                   {"cutoff", true},
                   {"explain", false},
                   {"listing", true},
                   {"quiet", false}},
                  &error)) {
    return usage_error("match", error);
  }
  if (args.has("help")) return show_usage(kMatchUsage);
  o->spec = args.value("spec");
  o->rules = args.value("rules");
  o->candidates = args.value("candidates");
  if (o->spec.empty() || o->rules.empty() || o->candidates.empty()) {
    return usage_error("match", "--spec, --rules and --candidates are required");
  }
  o->key = args.value("key");
  o->sets = args.values("set");
  o->inputs = args.positionals();
  if (!o->sets.empty() && !o->inputs.empty()) {
    return usage_error("match", "give either --set values or input files, not both");
  }
  if (!args.integer("top", 1, 1000, 3, &o->top, &error)) return usage_error("match", error);
  if (args.has("cutoff")) {
    double cutoff = 0;
    if (!args.number("cutoff", -32768, 32767, 0, &cutoff, &error)) {
      return usage_error("match", error);
    }
    o->cutoff = cutoff;
  }
  o->explain = args.has("explain");
  o->listing = args.value("listing");
  o->quiet = args.has("quiet");
  return std::nullopt;
}

// Sets match key fields from NAME=VALUE texts; false and *error for a field that does not
// exist or a text without '='.
bool set_fields(Standardizer* stan, const std::string& layout, const std::vector<std::string>& sets,
                std::string* error) {
  stan->clear();
  for (const std::string& s : sets) {
    size_t eq = s.find('=');
    if (eq == std::string::npos || eq == 0) {
      *error = "--set takes FIELD=VALUE, not '" + s + "'";
      return false;
    }
    if (!stan->set(layout, s.substr(0, eq), s.substr(eq + 1))) {
      *error = "match key " + layout + " has no field '" + s.substr(0, eq) + "'";
      return false;
    }
  }
  return true;
}

class MatchRun {
 public:
  MatchRun(const Options& o, const Standardizer& stan, const CandidateFile& file, Scorer& scorer)
      : o_(o), stan_(stan), file_(file), scorer_(scorer) {
    for (long line : file.lines()) candidates_.push_back({line, file.record(line)});
    cutoff_ = o.cutoff ? o.cutoff : scorer.outline().cutoff();
  }

  // Scores the current match key and writes the best candidates under a heading.
  bool report(const std::string& heading, std::string* error) {
    std::vector<Scored> best;
    if (!scorer_.score(candidates_, static_cast<size_t>(o_.top), &best, error)) return false;
    std::printf("%s\n  key: %s\n", heading.c_str(), stan_.fields_text().c_str());
    std::printf("  rank  line  weight  side  position  %scandidate\n", cutoff_ ? "result  " : "");
    for (size_t r = 0; r < best.size(); ++r) {
      const Scored& s = best[r];
      std::string result = decision(s.weight, cutoff_);
      std::printf("  %4zu  %4ld  %6d  %4c  %8.1f  %s%s\n", r + 1, s.line, s.weight,
                  side_mark(s.side), s.position,
                  cutoff_ ? (result + std::string(8 - result.size(), ' ')).c_str() : "",
                  display_record(file_.record(s.line)).c_str());
      if (!o_.explain) continue;
      std::vector<FieldScore> fields;
      if (!scorer_.explain({s.line, file_.record(s.line)}, &fields, error)) return false;
      print_explanation(stdout, fields, "        ");
    }
    return true;
  }

 private:
  const Options& o_;
  const Standardizer& stan_;
  const CandidateFile& file_;
  Scorer& scorer_;
  std::vector<Candidate> candidates_;
  std::optional<double> cutoff_;
};

}  // namespace

int run_match(int argc, char** argv, int first) {
  Options o;
  if (std::optional<int> done = parse_options(argc, argv, first, &o)) return *done;

  std::string error;
  Standardizer stan;
  CandidateFile file;
  InputFiles inputs;
  if (!stan.compile(o.spec, &error) || !file.read(o.candidates, &error) ||
      (o.sets.empty() && !inputs.open(o.inputs, &error))) {
    report_error(error);
    return kExitFailure;
  }
  if (file.lines().size() > kMaxCandidates) {
    report_error(o.candidates + ": more than " + std::to_string(kMaxCandidates) +
                 " candidates; narrow them first (tovr index)");
    return kExitFailure;
  }
  std::string layout = o.key.empty() && !stan.layouts().empty() ? stan.layouts()[0].name : o.key;
  if (stan.layout(layout) == nullptr) {
    report_error(o.spec + ": no match key layout '" + layout + "'");
    return kExitFailure;
  }
  Scorer scorer(stan);
  if (!scorer.load(o.rules, layout, o.listing, &error)) {
    report_error(error);
    return kExitFailure;
  }
  scorer.set_record_width(file.width());
  MatchRun run(o, stan, file, scorer);

  if (!o.sets.empty()) {
    if (!set_fields(&stan, layout, o.sets, &error) || !run.report("record 1", &error)) {
      report_error(error);
      return kExitFailure;
    }
    return kExitOk;
  }

  HostIo::set_record_input(inputs.sources());
  Progress progress("records", !o.quiet);
  int status = 0;
  int exit_status = kExitOk;
  while ((status = stan.next()) != kEndOfInput) {
    progress.step();
    std::string where = HostIo::input_name() + ":" + std::to_string(HostIo::input_line());
    if (status != 0) {
      exit_status = kExitFailure;
      if (!Standardizer::is_record_error(status)) {
        report_error(where + ": " + Standardizer::status_text(status));
        break;
      }
      report_error(where + ": record not standardized: " + Standardizer::status_text(status));
      continue;
    }
    std::string heading = "record " + std::to_string(progress.count()) + "  " + where + "  " +
                          collapse_blanks(stan.original_record());
    if (!run.report(heading, &error)) {
      report_error(where + ": " + error);
      exit_status = kExitFailure;
      break;
    }
  }
  progress.finish();
  HostIo::set_record_input({});
  return exit_status;
}

}  // namespace tovr::cli
