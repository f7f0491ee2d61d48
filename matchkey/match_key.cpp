// The match key control block: creation, release, and finding layouts and fields by name.
#include "matchkey/match_key.h"

#include "frame/memory.h"
#include "frame/strings.h"

namespace tovr {
namespace {

void free_layout(MatchKeyLayout* layout) {
  mem_free(layout->fields);
  mem_free(layout->record);
  destroy(layout);
}

void clear_cache(TOVR_Mk* mk) {
  mk->last_name[0] = '\0';
  mk->last_layout = nullptr;
}

}  // namespace

int mk_create(TOVR_Mk** handle) {
  TOVR_Mk* mk = make<TOVR_Mk>();
  if (mk == nullptr) return kMkNoMemory;
  if (tblInit(&mk->tables) != kTblOk) {
    destroy(mk);
    return kMkNoMemory;
  }
  *handle = mk;
  return kMkOk;
}

// Layouts still in the list go with the block: after it nothing could reach them.
void mk_destroy(TOVR_Mk* mk) {
  if (mk == nullptr) return;
  while (mk->layouts != nullptr) {
    MatchKeyLayout* next = mk->layouts->next;
    free_layout(mk->layouts);
    mk->layouts = next;
  }
  tblClose(mk->tables);
  destroy(mk);
}

int find_layout(TOVR_Mk* mk, const char* name, MatchKeyLayout** layout) {
  if (mk == nullptr || name == nullptr || name[0] == '\0') return kMkNameInvalid;
  if (mk->last_layout != nullptr && str_icmp(name, mk->last_name) == 0) {
    *layout = mk->last_layout;
    return kMkOk;
  }
  for (MatchKeyLayout* l = mk->layouts; l != nullptr; l = l->next) {
    if (str_icmp(l->name, name) == 0) {
      copy_text(mk->last_name, sizeof mk->last_name, l->name);
      mk->last_layout = l;
      *layout = l;
      return kMkOk;
    }
  }
  return kMkNameInvalid;
}

const FieldDef* find_field(const MatchKeyLayout& layout, const char* field_name) {
  if (field_name == nullptr) return nullptr;
  for (int f = 0; f < layout.field_count; ++f) {
    if (str_icmp(layout.fields[f].name, field_name) == 0) return &layout.fields[f];
  }
  return nullptr;
}

TableRegistry* mk_tables(TOVR_Mk* mk) { return mk == nullptr ? nullptr : mk->tables; }

int mk_remove_layout(TOVR_Mk* mk, const char* name) {
  MatchKeyLayout* layout = nullptr;
  const int rc = find_layout(mk, name, &layout);
  if (rc != kMkOk) return rc;
  MatchKeyLayout** link = &mk->layouts;
  while (*link != layout) link = &(*link)->next;
  *link = layout->next;
  free_layout(layout);
  clear_cache(mk);
  return kMkOk;
}

}  // namespace tovr
