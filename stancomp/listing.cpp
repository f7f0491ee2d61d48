#include "stancomp/listing.h"

#include "frame/messages.h"
#include "stancomp/stan_texts.h"

namespace tovr {

void list_line(const Stan& stan, const char* message) {
  const char* line = stan.current_line != nullptr ? stan.current_line : "";
  console_message(stan_text::kListingFormat, stan_text::kErrorLabel, stan.line_number, message,
                  line);
}

void print_text(const char* text) { console_message("%s", text); }

}  // namespace tovr
