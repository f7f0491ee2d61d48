// The registry of loaded tables: creation, release, finding by name and removal.
#include <cstring>

#include "frame/memory.h"
#include "frame/strings.h"
#include "matchkey/tables/table_internal.h"

namespace tovr {

int tblInit(TableRegistry** registry) {
  if (registry == nullptr) return kTblBadArgument;
  *registry = make<TableRegistry>();
  return *registry == nullptr ? kTblCannotOpen : kTblOk;
}

void tblClose(TableRegistry* registry) {
  if (registry == nullptr) return;
  Table* t = registry->first;
  while (t != nullptr) {
    Table* next = table_data(*t).next;
    free_table(t);
    t = next;
  }
  destroy(registry);
}

void free_table(Table* table) {
  if (table == nullptr) return;
  TableData& d = table_data(*table);
  mem_free(d.results);
  mem_free(d.cells);
  mem_free(d.pool);
  destroy(table);
}

int find_table(TableRegistry* registry, const char* table_name, Table** table) {
  if (registry == nullptr || table_name == nullptr) return kTblBadArgument;
  if (registry->last_table != nullptr && str_icmp(table_name, registry->last_name) == 0) {
    *table = registry->last_table;
    return kTblOk;
  }
  Table* found = registry->first;
  while (found != nullptr && str_icmp(found->name(), table_name) != 0) {
    found = table_data(*found).next;
  }
  if (found == nullptr) {
    const int rc = tblLoad(registry, table_name, "", '\0');
    if (rc != kTblOk) return rc;
    found = registry->first;
  }
  copy_text(registry->last_name, sizeof registry->last_name, found->name());
  registry->last_table = found;
  *table = found;
  return kTblOk;
}

int tblFind(TableRegistry* registry, const char* table_name, const Table** table) {
  if (table == nullptr) return kTblBadArgument;
  Table* found = nullptr;
  const int rc = find_table(registry, table_name, &found);
  if (rc == kTblOk) *table = found;
  return rc;
}

void make_current(TableRegistry* registry, const Table& table) {
  const TableData& d = table_data(table);
  registry->current_key_column = d.key_column;
  registry->current_pool = d.pool;
}

int tblRemove(TableRegistry* registry, const char* table_name) {
  if (registry == nullptr || table_name == nullptr) return kTblBadArgument;
  Table** link = &registry->first;
  while (*link != nullptr && str_icmp((*link)->name(), table_name) != 0) {
    link = &table_data(**link).next;
  }
  if (*link == nullptr) return kTblCannotOpen;
  Table* table = *link;
  *link = table_data(*table).next;
  if (registry->current_pool == table_data(*table).pool) registry->current_pool = nullptr;
  free_table(table);
  registry->last_name[0] = '\0';
  registry->last_table = nullptr;
  return kTblOk;
}

}  // namespace tovr
