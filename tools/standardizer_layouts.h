// The match key layouts that a standardizer file loads, read from the
// file's own lines: the library names each layout after its dictionary file, and
// the tool needs those names to read the fields back after a record is standardized.
#pragma once

#include <string>
#include <vector>

namespace tovr::cli {

// Returns the distinct layout names in the order of the processes that define them. A
// process's dictionary is its name (or the dictionary base name of a PROCESSFILE line)
// followed by ".dct"; the layout is named after the dictionary file without extension.
// Returns false when the file cannot be read.
bool standardizer_layouts(const std::string& spec_path, std::vector<std::string>* layouts);

}  // namespace tovr::cli
