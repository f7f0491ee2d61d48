// tovr standardize: runs a standardizer file over records.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "args.h"
#include "commands.h"
#include "host_io.h"
#include "input_files.h"
#include "progress.h"
#include "standardizer.h"
#include "text.h"
#include "usage.h"

namespace tovr::cli {
namespace {

enum class Format { kFields, kTsv, kKeys };

std::string tsv_header(const Standardizer& stan) {
  std::vector<std::string> names;
  for (const Layout& l : stan.layouts()) {
    for (const FieldDef& f : l.fields) {
      names.push_back(stan.layouts().size() > 1 ? l.name + "." + f.name : f.name);
    }
  }
  return join(names, "\t");
}

std::string tsv_values(const Standardizer& stan) {
  std::vector<std::string> values;
  for (const Layout& l : stan.layouts()) {
    for (const FieldDef& f : l.fields) values.push_back(stan.value(l.name, f.name));
  }
  return join(values, "\t");
}

std::string one_line(std::string text) {
  text = trim_end(text);
  for (char& c : text) {
    if (c == '\n' || c == '\r' || c == '\t') c = ' ';
  }
  return text;
}

std::string record_line(const Standardizer& stan, Format format) {
  switch (format) {
    case Format::kFields:
      return stan.fields_text();
    case Format::kTsv:
      return tsv_values(stan);
    case Format::kKeys:
      return stan.keys();
  }
  return "";
}

struct Options {
  std::string spec;
  std::vector<std::string> inputs;
  Format format = Format::kFields;
  bool echo = false;
  std::string output;
  bool quiet = false;
};

// Returns an exit status when the command ends here (help shown, or a usage error).
std::optional<int> parse_options(int argc, char** argv, int first, Options* o) {
  Args args;
  std::string error;
  if (!args.parse(argc, argv, first,
                  {{"format", true}, {"echo", false}, {"output", true}, {"quiet", false}},
                  &error)) {
    return usage_error("standardize", error);
  }
  if (args.has("help")) return show_usage(kStandardizeUsage);
  if (args.positionals().empty()) return usage_error("standardize", "no specification given");
  o->spec = args.positionals()[0];
  o->inputs.assign(args.positionals().begin() + 1, args.positionals().end());
  std::string format = args.value("format", "fields");
  if (format == "fields") {
    o->format = Format::kFields;
  } else if (format == "tsv") {
    o->format = Format::kTsv;
  } else if (format == "keys") {
    o->format = Format::kKeys;
  } else {
    return usage_error("standardize", "unknown format '" + format + "'");
  }
  o->echo = args.has("echo");
  o->output = args.value("output");
  o->quiet = args.has("quiet");
  return std::nullopt;
}

}  // namespace

int run_standardize(int argc, char** argv, int first) {
  Options o;
  if (std::optional<int> done = parse_options(argc, argv, first, &o)) return *done;

  std::string error;
  InputFiles inputs;
  Standardizer stan;
  FILE* out = nullptr;
  if (!inputs.open(o.inputs, &error) || !stan.compile(o.spec, &error) ||
      !open_output(o.output, &out, &error)) {
    report_error(error);
    return kExitFailure;
  }
  HostIo::set_record_input(inputs.sources());
  if (o.format == Format::kTsv) {
    std::fprintf(out, "%s%s\n", o.echo ? "record\t" : "", tsv_header(stan).c_str());
  }

  Progress progress("records", !o.quiet);
  long failed = 0;
  int status = 0;
  while ((status = stan.next()) != kEndOfInput) {
    progress.step();
    std::string line;
    if (status == 0) {
      line = record_line(stan, o.format);
    } else if (Standardizer::is_record_error(status)) {
      ++failed;
      report_error(HostIo::input_name() + ":" + std::to_string(HostIo::input_line()) +
                   ": record not standardized: " + Standardizer::status_text(status));
    } else {
      report_error(HostIo::input_name() + ":" + std::to_string(HostIo::input_line()) + ": " +
                   Standardizer::status_text(status));
      break;
    }
    if (o.echo) line = one_line(stan.original_record()) + "\t" + line;
    std::fprintf(out, "%s\n", line.c_str());
  }
  progress.finish();
  close_output(out);
  HostIo::set_record_input({});
  if (status != kEndOfInput) return kExitFailure;
  if (failed > 0) {
    report_error(std::to_string(failed) + " of " + std::to_string(progress.count()) +
                 " records not standardized");
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace tovr::cli
