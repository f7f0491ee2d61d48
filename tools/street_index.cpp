#include "street_index.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "text.h"

namespace tovr::cli {
namespace {

constexpr const char* kSignature = "tovr geocode street index";
// Keys in a query term hold at most 79 characters.
constexpr size_t kMaxTerm = 79;
// The label keeps a description of up to 759 characters.
constexpr int kDescriptionSize = 759;

std::string make_temp_dir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern =
      std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/tovr-index-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (mkdtemp(buffer.data()) == nullptr) return "";
  return buffer.data();
}

// What the index was built from: a changed reference file or other street columns give
// another description, and the index is built anew.
std::string describe_reference(const CandidateFile& reference, int start, int length) {
  struct stat info;
  long long size = -1;
  long long time = -1;
  if (stat(reference.path().c_str(), &info) == 0) {
    size = info.st_size;
    time = info.st_mtime;
  }
  std::string name = reference.path().substr(reference.path().find_last_of('/') + 1);
  return name + " size " + std::to_string(size) + " time " + std::to_string(time) +
         " street columns " + std::to_string(start + 1) + "-" + std::to_string(start + length);
}

bool holds(const std::string& path, const std::string& description) {
  if (TOVR_dbIsValidFile(path.c_str(), kSignature) != 1) return false;
  char stored[kDescriptionSize + 1] = {};
  if (TOVR_dbGetMetadata(path.c_str(), stored, kDescriptionSize) != 0) return false;
  return description == stored;
}

}  // namespace

StreetIndex::~StreetIndex() {
  session_.close();
  if (!temp_dir_.empty()) {
    std::remove(settings_.file.c_str());
    rmdir(temp_dir_.c_str());
  }
}

bool StreetIndex::open(const std::string& path, const CandidateFile& reference, int street_start,
                       int street_length, std::string* error) {
  settings_.file = path;
  if (path.empty()) {
    temp_dir_ = make_temp_dir();
    if (temp_dir_.empty()) {
      *error = "cannot make a temporary directory for the street index";
      return false;
    }
    settings_.file = temp_dir_ + "/streets.idx";
  }
  settings_.name = "STREETS";
  settings_.signature = kSignature;
  std::string description = describe_reference(reference, street_start, street_length);
  if (!holds(settings_.file, description)) {
    struct stat info;
    if (stat(settings_.file.c_str(), &info) == 0) {
      // Only a street index of an older reference is replaced, never another file.
      if (TOVR_dbIsValidFile(settings_.file.c_str(), kSignature) != 1) {
        *error = settings_.file + ": exists and is not a street index; give another --index";
        return false;
      }
      std::remove(settings_.file.c_str());
    }
    if (!build(reference, street_start, street_length, description, error)) return false;
  }
  settings_.write = false;
  int status = 0;
  return session_.open(settings_, &status, error);
}

bool StreetIndex::build(const CandidateFile& reference, int street_start, int street_length,
                        const std::string& description, std::string* error) {
  IndexSession writer;
  int status = 0;
  if (!writer.open(settings_, &status, error)) return false;
  TOVR_Db* h = writer.handle();
  TOVR_dbSetNumRecords(h, static_cast<int>(reference.lines().size()));
  TOVR_dbSetInsertCacheSize(h, 4096);
  int failure = 0;
  for (long line : reference.lines()) {
    const std::string& record = reference.record(line);
    if (static_cast<size_t>(street_start) >= record.size()) continue;
    std::string street = to_upper(trim(record.substr(street_start, street_length)));
    if (street.empty()) continue;
    int rc = TOVR_dbInsert(h, street.c_str(), static_cast<int>(line), 0);
    if (rc != 0 && rc != 12) failure = rc;
  }
  int flushed = TOVR_dbFlushInsertCache(h);
  if (failure == 0 && flushed != 0 && flushed != 12) failure = flushed;
  if (!writer.close() || failure != 0) {
    *error = settings_.file +
             ": the street index could not be built: " + IndexSession::status_text(failure);
    return false;
  }
  if (TOVR_dbSetMetadata(settings_.file.c_str(), description.c_str()) != 0) {
    *error = settings_.file + ": cannot write the index description";
    return false;
  }
  return true;
}

bool StreetIndex::find(const std::string& street, float threshold, std::vector<long>* lines,
                       std::string* error) {
  lines->clear();
  std::string term;
  for (char c : to_upper(trim(street))) {
    if (c != '"') term += c;
  }
  if (term.empty()) return true;
  if (term.size() > kMaxTerm) term.resize(kMaxTerm);
  std::string query = "\"" + term + "\"?";
  unsigned short parsed = TOVR_dbParse(session_.handle(), query.c_str(), threshold, nullptr);
  if (parsed != 0) {
    *error = "the street query " + query + " failed at position " + std::to_string(parsed);
    return false;
  }
  TOVR_QueryResult* result = TOVR_dbReturnQueryResult(session_.handle());
  for (int n = TOVR_dbGetNextQueryResult(result); n > 0; n = TOVR_dbGetNextQueryResult(result)) {
    lines->push_back(n);
  }
  TOVR_dbDeleteQueryResult(result);
  return true;
}

}  // namespace tovr::cli
