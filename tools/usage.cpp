#include "usage.h"

#include <cstdio>

#include "commands.h"

namespace tovr::cli {

const char* const kMainUsage =
    "usage: tovr <command> [options] [arguments]\n"
    "\n"
    "Record linkage from the command line: standardize free-text records, build and query\n"
    "disk indexes of keys, and score candidate records with a rules file.\n"
    "\n"
    "Commands:\n"
    "  standardize  run a standardizer specification over records\n"
    "  index        create, load, query and describe index files\n"
    "  match        score records against candidate records with a rules file\n"
    "  geocode      locate addresses on a street-segment reference file\n"
    "\n"
    "Run 'tovr <command> --help' for the options of a command; 'tovr --version' for the\n"
    "version.\n"
    "\n"
    "Exit status: 0 success; 1 failure (a file, a record or the library reported an error);\n"
    "2 wrong usage. Errors go to standard error and name the file and line they concern.\n";

const char* const kStandardizeUsage =
    "usage: tovr standardize SPEC [INPUT...] [options]\n"
    "\n"
    "Standardizes records with the specification SPEC and writes one line per record to\n"
    "standard output. The INPUT files are read one after the other, standard input when none\n"
    "is given or for '-'; a specification with an INFILE command reads that file instead.\n"
    "Files that SPEC names are looked up beside it first.\n"
    "\n"
    "Options:\n"
    "  --format F     fields: the fields that are not blank, as NAME=value separated by\n"
    "                         '; ' (default)\n"
    "                 tsv:    a header line of field names, then the values, tab-separated\n"
    "                 keys:   the match keys as fixed-width text, as the library returns them\n"
    "  --echo         start each line with the record as read and a tab\n"
    "  --output FILE  write to FILE instead of standard output\n"
    "  --quiet        no progress line on standard error\n"
    "\n"
    "A record the standardizer rejects gives an empty line and an error naming the input\n"
    "file and line; the run goes on and ends with status 1.\n";

const char* const kIndexUsage =
    "usage: tovr index create FILE [options]\n"
    "       tovr index load FILE DATA --column N [options]\n"
    "       tovr index query FILE QUERY [options]\n"
    "       tovr index describe FILE [--keys]\n"
    "\n"
    "Disk indexes of keys with record numbers. A file holds up to 249 index sequences; each\n"
    "codes its keys by sound code or hash and keeps a set of record numbers per key.\n"
    "\n"
    "  create    makes a new index file, or a new sequence in an existing file\n"
    "  load      files column N of every row of the delimited file DATA as a key under the\n"
    "            row's number (1 for the first data row); creates the index when needed\n"
    "  query     writes the record numbers that QUERY selects, one per line, ascending\n"
    "  describe  reports the label, the pages and the sequences of an index file\n"
    "\n"
    "Options:\n"
    "  --seq N             index sequence in the file, 0 to 248 (default 0)\n"
    "  --name NAME         name of that sequence in queries, 1 to 8 characters (default KEYS)\n"
    "  --coding sound|hash key coding of a new sequence (default sound)\n"
    "  --width 16|32       code width of a new sequence (default 16; sound codes need 16)\n"
    "  --pages N           pages of a new file, 10 or more (default 16)\n"
    "  --extend N          pages added each time the file grows, 10 or more (default 16)\n"
    "  --buffers N         pages in the buffer pool, 5 or more (default 64)\n"
    "  --signature TEXT    signature text written into the label of a new file\n"
    "  --description TEXT  description text stored in the label (create and load)\n"
    "load:\n"
    "  --column N          column of the key, from 1 (required)\n"
    "  --delimiter C       field separator: one character, or tab, comma, space (default tab)\n"
    "  --header            the first row is a header, not data\n"
    "  --upper             upper-case the keys\n"
    "  --quiet             no progress line on standard error\n"
    "query:\n"
    "  --threshold T       least similarity score, 1 to 900, of the keys that 'key?' and\n"
    "                      'key+' terms widen to (default 700)\n"
    "  --index NAME=SEQ    also open sequence SEQ under NAME, for terms written NAME=key\n"
    "  --data FILE         write each selected row of FILE after its number (rows counted\n"
    "                      as by load, with the same --delimiter and --header)\n"
    "  --expansions        list on standard error the keys each similarity term widened to\n"
    "  --count             write only the number of records selected\n"
    "describe:\n"
    "  --keys              also list every key with the number of its record numbers\n"
    "\n"
    "Queries: a term is a key (quote it as \"...\" when it holds blanks or operators);\n"
    "'a b' and 'a & b' select both, 'a / b' and 'a | b' either, '#a' and '!a' not, 'a $ b'\n"
    "one of the two; parentheses group. 'key?' adds the keys similar to key in its bucket,\n"
    "'key+' those similar in the part before a backslash, 'head\\' every key with that head.\n";

const char* const kMatchUsage =
    "usage: tovr match --spec SPEC --rules RULES --candidates FILE [options] [INPUT...]\n"
    "\n"
    "Standardizes each record of INPUT (standard input when none is given) with SPEC, scores\n"
    "every candidate record of FILE against the record's match key with the rules file, and\n"
    "writes the best candidates, best first, with their total weights.\n"
    "\n"
    "Options:\n"
    "  --spec SPEC        standardizer specification that defines the match key (required)\n"
    "  --rules RULES      rules file of the matcher (required)\n"
    "  --candidates FILE  candidate records at fixed columns, one per line; lines starting\n"
    "                     with '#' are skipped; a candidate is named by its line number\n"
    "  --key NAME         match key layout the rules compare (default: the first of SPEC)\n"
    "  --set F=VALUE      match one match key built from field values instead of INPUT\n"
    "                     (repeatable)\n"
    "  --top N            candidates written per record (default 3)\n"
    "  --cutoff W         total weight from which a candidate counts as a match (default: the\n"
    "                     rules file's CUTOFF)\n"
    "  --explain          show, for each candidate written, every field's comparison, its\n"
    "                     values and its weight\n"
    "  --listing FILE     write the rules file's listing to FILE\n"
    "  --quiet            no progress line on standard error\n";

const char* const kGeocodeUsage =
    "usage: tovr geocode --spec SPEC --rules RULES --reference FILE [options] [ADDRESSES...]\n"
    "\n"
    "Locates addresses on a street-segment reference file. Each address (one per line of\n"
    "ADDRESSES, standard input when none is given) is standardized with SPEC; its street\n"
    "name finds candidate segments through a disk index keyed by the sound code of the\n"
    "street names; the rules file scores the candidates; the best segment is written with\n"
    "its weight, side (L or R) and position along the segment in percent.\n"
    "\n"
    "Options:\n"
    "  --spec SPEC        standardizer specification for the addresses (required)\n"
    "  --rules RULES      rules file comparing a match key with a segment (required)\n"
    "  --reference FILE   street segments at fixed columns, one per line; lines starting\n"
    "                     with '#' are skipped (required)\n"
    "  --index FILE       keep the index of the reference in FILE and reuse it while the\n"
    "                     reference is unchanged (default: a temporary index)\n"
    "  --key NAME         match key layout the rules compare (default: the first of SPEC)\n"
    "  --street FIELD     match key field of the street name (default SN)\n"
    "  --number FIELD     match key field of the house number (default HN)\n"
    "  --threshold T      least similarity score, 1 to 900, of street names (default 700)\n"
    "  --cutoff W         least total weight of a located address (default: the rules\n"
    "                     file's CUTOFF)\n"
    "  --explain          show the field comparisons of the best segment\n"
    "  --quiet            no progress line on standard error\n";

void report_error(const std::string& message) {
  std::fprintf(stderr, "tovr: %s\n", message.c_str());
}

int usage_error(const std::string& command, const std::string& message) {
  report_error(message);
  if (command.empty()) {
    std::fprintf(stderr, "Try 'tovr --help'.\n");
  } else {
    std::fprintf(stderr, "Try 'tovr %s --help'.\n", command.c_str());
  }
  return kExitUsage;
}

int show_usage(const char* text) {
  std::fputs(text, stdout);
  return kExitOk;
}

}  // namespace tovr::cli
