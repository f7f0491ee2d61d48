// Shared pieces of the fuzz targets: library start-up with silent message slots, the split of
// one input into named in-memory files, and a check that aborts the run when an invariant
// breaks (libFuzzer then saves the input as a crash).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tovr::fuzz {

// Starts the library once and routes console and file messages to a sink that drops them.
void init_library();

// One named part of an input.
struct Section {
  std::string name;
  std::string bytes;
};

// Splits an input into sections. A line "%%% NAME" starts the section NAME; the bytes before
// the first such line form a section called first_name. NUL bytes stay in the bytes: each
// target decides whether its text may hold them.
std::vector<Section> split_sections(const std::uint8_t* data, std::size_t size,
                                    const std::string& first_name);

// The section of that name, or null.
const Section* find_section(const std::vector<Section>& sections, const std::string& name);

// The bytes up to the first NUL: what a C string made of them holds.
std::string c_text(const std::string& bytes);

// Aborts with the message when ok is false.
void require(bool ok, const char* what);

}  // namespace tovr::fuzz
