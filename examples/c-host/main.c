/* A small C host of the tovr library. It standardizes two address lines with the US
 * address example, files street names in a disk index, and finds them again by key and by
 * a query with a misspelt name.
 *
 * usage: c_host WORKDIR SPEC
 *   WORKDIR  a writable folder for the index file
 *   SPEC     examples/us-address/usaddr.spc
 */
#include <stdio.h>
#include <string.h>

#include <tovr.h>

/* The addresses the standardizer reads. The library reads its input records through the
 * file callbacks with no stream of its own, so this host serves them from memory: a read
 * from the null stream gets the next address; every other stream is a real file. */
static const char *const kAddresses[] = {"123 N MAIN ST APT 4\n", "PO BOX 77\n"};
static size_t next_address = 0;

static char *host_fgets(char *buf, int size, void *stream) {
  if (stream != NULL) return fgets(buf, size, (FILE *)stream);
  if (next_address >= sizeof kAddresses / sizeof kAddresses[0]) return NULL;
  snprintf(buf, (size_t)size, "%s", kAddresses[next_address++]);
  return buf;
}

static int host_feof(void *stream) {
  if (stream != NULL) return feof((FILE *)stream);
  return next_address >= sizeof kAddresses / sizeof kAddresses[0];
}

static int host_fgetc(void *stream) { return stream != NULL ? fgetc((FILE *)stream) : EOF; }

/* File messages (the standardizer's output file, the rules listing) go to their stream. */
static int host_fprintf(void *stream, const char *text) {
  return stream != NULL ? fputs(text, (FILE *)stream) : 0;
}

/* Library messages go to standard error, results to standard output. */
static int host_printf(const char *text) { return fputs(text, stderr); }

static void print_fields(TOVR_Mk *mk) {
  static const char *const kFields[] = {"HN", "HS", "PD", "SN", "ST", "SD", "UT", "UV", "BX"};
  char value[300];
  size_t i;
  for (i = 0; i < sizeof kFields / sizeof kFields[0]; ++i) {
    if (TOVR_mkGet(mk, "usaddr", kFields[i], value) != 0) continue;
    /* Fields are fixed-width: cut the blanks around the value. */
    char *start = value;
    size_t length;
    while (*start == ' ') ++start;
    length = strlen(start);
    while (length > 0 && start[length - 1] == ' ') start[--length] = '\0';
    if (length > 0) printf("%s=%s ", kFields[i], start);
  }
  printf("\n");
}

static int standardize(const char *spec) {
  TOVR_Mk *mk = NULL;
  TOVR_Stan *stan = NULL;
  short total_length = 0;
  short first_call = 1;
  char input_area[2048], keys[2048], aux[4096], original[2048];
  int status = 1;
  if (TOVR_mkInit(&mk) != 0) return 1;
  if (TOVR_asStanComp(spec, &stan, mk, &total_length) == 0 && TOVR_asSetNewFormats(stan) == 0) {
    for (;;) {
      keys[0] = aux[0] = input_area[0] = original[0] = '\0';
      status = TOVR_asProcStan(stan, input_area, keys, aux, &first_call, original);
      if (status != 0) break;
      print_fields(mk);
    }
    status = status == 11 ? 0 : status;
  } else {
    fprintf(stderr, "c_host: %s did not compile\n", spec);
  }
  if (stan != NULL) TOVR_asCloseStan(stan);
  TOVR_mkClose(mk);
  return status;
}

static void print_records(const char *label, TOVR_QueryResult *result) {
  int n;
  printf("%s:", label);
  while ((n = TOVR_dbGetNextQueryResult(result)) > 0) printf(" %d", n);
  printf("\n");
}

static int index_streets(const char *workdir) {
  char file_statement[1024];
  const char *statements[4];
  int status = 0;
  int n;
  TOVR_Db *db;
  TOVR_QueryResult *result;
  snprintf(file_statement, sizeof file_statement, "FILE %s/streets.idx", workdir);
  remove(file_statement + 5);
  statements[0] = file_statement;
  statements[1] = "INDEX 0 STREETS";
  statements[2] = "END";
  statements[3] = NULL;
  /* Sound-coded 16-bit keys, 16 buffers, a file of 10 pages growing by 10, read and write. */
  db = TOVR_dbOpen("STREETS", 'S', 'S', &status, 16, 10, 10, statements, "c_host", 1);
  if (db == NULL) {
    fprintf(stderr, "c_host: index not opened, status %d\n", status);
    return 1;
  }
  TOVR_dbInsert(db, "MAIN", 1, 0);
  TOVR_dbInsert(db, "MAPLE", 2, 0);
  TOVR_dbInsert(db, "MAIN", 3, 0);

  printf("MAIN:");
  if (TOVR_dbFind(db, "MAIN") == 0) {
    while ((n = TOVR_dbGetNext(db)) > 0) printf(" %d", n);
  }
  printf("\n");

  /* MAPEL? widens to the keys of its sound-code bucket that are spelled alike. */
  if (TOVR_dbParse(db, "MAPEL? | MAIN", 0.0f, NULL) == 0) {
    result = TOVR_dbReturnQueryResult(db);
    print_records("MAPEL? | MAIN", result);
    TOVR_dbDeleteQueryResult(result);
  }
  return TOVR_dbClose(&db);
}

int main(int argc, char **argv) {
  int status;
  if (argc != 3) {
    fprintf(stderr, "usage: c_host WORKDIR SPEC\n");
    return 2;
  }
  TOVR_LibInit();
  TOVR_cbSet(TOVRCB_Fgets, (TOVR_Callback)host_fgets);
  TOVR_cbSet(TOVRCB_Feof, (TOVR_Callback)host_feof);
  TOVR_cbSet(TOVRCB_Fgetc, (TOVR_Callback)host_fgetc);
  TOVR_cbSet(TOVRCB_Fprintf, (TOVR_Callback)host_fprintf);
  TOVR_cbSet(TOVRCB_Printf, (TOVR_Callback)host_printf);
  status = standardize(argv[2]);
  if (status == 0) status = index_streets(argv[1]);
  TOVR_LibExit();
  return status == 0 ? 0 : 1;
}
