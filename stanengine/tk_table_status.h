// Translation of table-service codes into tokenizer codes.
#pragma once

namespace tovr {

// A table that cannot be opened, memory, and a table beyond the limits keep their meaning;
// every other failure of the table service is a table in error.
int tk_status_of_table(int table_status);

}  // namespace tovr
