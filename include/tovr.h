/* tovr: record linkage library — standardize, index and match records.
 *
 * Plain C interface. Every handle is opaque; every function returns a status code (0 is
 * success) or writes into buffers that the caller supplies. Call TOVR_LibInit first, then
 * TOVR_cbSet for any callback slot the host wants to replace. Handles are used by one
 * thread at a time. */
#ifndef TOVR_H_
#define TOVR_H_

#include <stddef.h>

#define TOVR_VERSION_MAJOR 0
#define TOVR_VERSION_MINOR 1
#define TOVR_VERSION_PATCH 0

#if defined(_WIN32)
#define TOVR_API __declspec(dllexport)
#else
#define TOVR_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef struct TOVR_Mk TOVR_Mk;                   /* match key control block */
typedef struct TOVR_Mt TOVR_Mt;                   /* match control block, tag "INST" */
typedef struct TOVR_Rules TOVR_Rules;             /* rules block, "RULE" */
typedef struct TOVR_List TOVR_List;               /* candidate list, "CAND" */
typedef struct TOVR_Case TOVR_Case;               /* match case, "CASE" */
typedef struct TOVR_Db TOVR_Db;                   /* index handle, "ICB" */
typedef struct TOVR_QueryResult TOVR_QueryResult; /* query result set */
typedef struct TOVR_Stan TOVR_Stan;               /* standardizer, "STAN" */

/* Callback slots 0..14. */
enum {
  TOVRCB_Malloc = 0,
  TOVRCB_Realloc,
  TOVRCB_Free,
  TOVRCB_Fopen,
  TOVRCB_Fclose,
  TOVRCB_Fflush,
  TOVRCB_Feof,
  TOVRCB_Fseek,
  TOVRCB_Rewind,
  TOVRCB_Fgetc,
  TOVRCB_Fgets,
  TOVRCB_Fread,
  TOVRCB_Fwrite,
  TOVRCB_Printf,
  TOVRCB_Fprintf
};

typedef void (*TOVR_Callback)(void); /* generic slot value; cast to the slot's own type */
typedef void *(*TOVRCB_MallocFn)(size_t size);
typedef void *(*TOVRCB_ReallocFn)(void *p, size_t size);
typedef void (*TOVRCB_FreeFn)(void *p);
typedef void *(*TOVRCB_FopenFn)(const char *name, const char *mode);
typedef int (*TOVRCB_FcloseFn)(void *stream);
typedef int (*TOVRCB_FflushFn)(void *stream);
typedef int (*TOVRCB_FeofFn)(void *stream);
typedef int (*TOVRCB_FseekFn)(void *stream, long offset, int origin);
typedef void (*TOVRCB_RewindFn)(void *stream);
typedef int (*TOVRCB_FgetcFn)(void *stream);
typedef char *(*TOVRCB_FgetsFn)(char *buf, int size, void *stream);
typedef size_t (*TOVRCB_FreadFn)(void *buf, size_t size, size_t count, void *stream);
typedef size_t (*TOVRCB_FwriteFn)(const void *buf, size_t size, size_t count, void *stream);
typedef int (*TOVRCB_PrintfFn)(const char *text);
typedef int (*TOVRCB_FprintfFn)(void *stream, const char *text);
/* Spelling-expansion hook of TOVR_dbParse: receives the candidate keys and their scores. */
typedef int (*TOVR_SpellFn)(int count, char **keys, float *scores, const char *term);

/* ---- Library frame ------------------------------------------------------------------ */

/* Installs the default callbacks in slots 0-13 and masks floating-point exceptions of the
 * calling thread; does nothing when the library is already initialised. */
TOVR_API void TOVR_LibInit(void);
/* Clears the initialised flag; frees nothing and keeps the callback table. */
TOVR_API void TOVR_LibExit(void);
/* Writes the defaults into slots 0-13; slot 14 keeps its value. */
TOVR_API void TOVR_cbReset(void);
/* Stores fn in slot index (0-14) and returns it; any other index does nothing, returns null. */
TOVR_API TOVR_Callback TOVR_cbSet(int index, TOVR_Callback fn);
/* Returns the function in slot index (0-14); null for an empty slot or another index. */
TOVR_API TOVR_Callback TOVR_cbGet(int index);

/* ---- Match keys ----------------------------------------------------------------------- */

/* Match key status codes: 0 success, 1 no memory, 2 dictionary file not found, 3 name already
 * used, 4 dictionary entry invalid, 5 match key name invalid or not found (also a null handle,
 * name or output argument), 6 field name not found or field index out of range, 8 numeric
 * name field too short. Names of layouts and fields are compared without regard to case. */

/* Creates a match key control block with its table registry and sets *handle; 0, or 1 when
 * memory runs out (5 when handle is null). */
TOVR_API int TOVR_mkInit(TOVR_Mk **handle);
/* Releases the control block, every table still loaded and any layout not yet freed; null
 * does nothing. */
TOVR_API void TOVR_mkClose(TOVR_Mk *handle);
/* Copies the message text of a match key status code into text (at least 57 bytes); unknown
 * codes give "Return code undefined". */
TOVR_API void TOVR_mkQueryCodeEnum(int code, char *text);
/* Reports a field's type and subtype letters (2 characters, no terminator), offset, length
 * and missing-value code (1 character); 0, 5 or 6. */
TOVR_API int TOVR_mkAttrib(TOVR_Mk *h, const char *mk, const char *field, char *type,
                           short *offset, short *length, char *missing);
/* Fills the record of layout mk with blanks; 0 or 5. */
TOVR_API int TOVR_mkClear(TOVR_Mk *h, const char *mk);
/* Copies the record of layout mk into out and terminates it (record length + 1 bytes);
 * 0 or 5. */
TOVR_API int TOVR_mkCopy(TOVR_Mk *h, const char *mk, char *out);
/* Removes layout mk with its record; the other layouts stay; 0 or 5. */
TOVR_API int TOVR_mkFree(TOVR_Mk *h, const char *mk);
/* Copies a field, all its characters blanks included, into out and terminates it (field
 * length + 1 bytes); 0, 5 or 6. */
TOVR_API int TOVR_mkGet(TOVR_Mk *h, const char *mk, const char *field, char *out);
/* Reports field number index (from 1; below 1 means 1) of layout mk: name (3 bytes), type and
 * subtype letters with terminator (3 bytes), offset and length; 0, 5, or 6 when index exceeds
 * the field count. */
TOVR_API int TOVR_mkGetFieldDef(TOVR_Mk *h, const char *mk, short index, char *name, char *type,
                                short *offset, short *length);
/* Reports the record length of layout mk; 0 or 5. */
TOVR_API int TOVR_mkGetLen(TOVR_Mk *h, const char *mk, short *length);
/* Reports the number of fields of layout mk; 0 or 5. */
TOVR_API int TOVR_mkGetNumFields(TOVR_Mk *h, const char *mk, short *count);
/* Places value into a field of layout mk by the field's type (justified, cut to the field);
 * may remove leading zeros from value in place; 0, 5 or 6. */
TOVR_API int TOVR_mkSet(TOVR_Mk *h, const char *mk, const char *field, char *value);

/* ---- Record matcher ----------------------------------------------------------------- */

/* Creates a match control block bound to the match key control block mk. Returns 0, 1 when
 * memory runs out (*handle null), or 11 when handle is null. */
TOVR_API int TOVR_mtInit(TOVR_Mt **handle, TOVR_Mk *mk);
/* Loads a rules file for layout mk, listing every error on the console and in messageFile
 * (when named and not empty; it stays open with the rules). Returns 0 with *rules set, or
 * with *rules null: 11 invalid mt, 10 rules null, 1 no memory, 5 message file not opened,
 * 2 rules file not found or not readable to its end, 6 match key unknown, 3 the file has
 * errors (all listed). */
TOVR_API int TOVR_mtLoad(TOVR_Mt *mt, const char *rulesFile, const char *mk,
                         const char *messageFile, TOVR_Rules **rules);
/* Releases a rules block, closes its message file and sets *rules to null. Returns 0, or 10
 * when the handle is invalid. */
TOVR_API int TOVR_mtFreeRules(TOVR_Rules **rules);
/* Writes the message text of a matcher status code into text (at least 59 bytes). */
TOVR_API void TOVR_mtQueryCodeEnum(int code, char *text);
/* Creates an empty candidate list for records of recordLength bytes, or takes again a freed
 * list of that length. Returns 0 with *list set, or with *list null: 11 invalid mt, 9 list
 * null, 7 recordLength not positive, 8 ten lists made and none of them free with that
 * length, 1 no memory. */
TOVR_API int TOVR_mtNewList(TOVR_Mt *mt, short recordLength, TOVR_List **list);
/* Appends a copy of a candidate record (recordLength characters, blank-filled after a
 * shorter text). Returns 0, 11 invalid mt, 9 invalid list, 8 the list holds 32767
 * candidates, 1 no memory. */
TOVR_API int TOVR_mtNewCand(TOVR_Mt *mt, TOVR_List *list, const char *record);
/* Empties a list, returns its slot to the control block and sets *list to null. Returns 0,
 * 11 invalid mt, or 9 when *list is not one of mt's lists in use. */
TOVR_API int TOVR_mtFreeCands(TOVR_Mt *mt, TOVR_List **list);
/* Scores every candidate of list against the current match key record. Returns 0 with
 * *matchCase set, 13 for an empty list (with *matchCase set), or with *matchCase null:
 * 11 invalid mt, 10 invalid rules, 9 invalid list, 14 matchCase null or all ten cases in
 * use, 6 the rules' match key is gone or changed, 1 no memory. */
TOVR_API int TOVR_mtMatch(TOVR_Mt *mt, TOVR_Rules *rules, TOVR_List *list,
                          TOVR_Case **matchCase);
/* Hands out candidate n of a case: n > 0 by number, -1 the best, n < -1 by rank -n (highest
 * total first, equal totals by number). record receives recordLength characters and a
 * terminator (it is emptied first). Returns 0, 14 invalid case, 15 n is 0, 13 no candidates,
 * 16 no such candidate (also when the list was emptied since the match). */
TOVR_API int TOVR_mtGetCand(TOVR_Mt *mt, TOVR_Case *matchCase, short n, char *record,
                            short *weight, char *side, float *position);
/* Returns a case to the control block for reuse and sets *matchCase to null. Returns 0,
 * 11 invalid mt, or 14 when *matchCase is not one of mt's cases in use. */
TOVR_API int TOVR_mtEndMatch(TOVR_Mt *mt, TOVR_Case **matchCase);
/* Releases the match control block with all its lists and cases (rules blocks are separate).
 * Returns 0, or 11 for an invalid handle. */
TOVR_API int TOVR_mtClose(TOVR_Mt *mt);

/* ---- Disk index --------------------------------------------------------------------- */

/* Opens the index sequence indexName named in the cross-reference statements (the host's
 * list ending with END, or "indxname.xrf" when statements is null or starts empty), creating
 * its file or its header when missing. Returns the handle (the same one again for an open
 * sequence) with *status 0 (opened), 1 (file created) or 2 (sequence created); or null with
 * *status 3 (unknown name or bad file), 4 (statement file missing), 5 (statement errors),
 * 6 (bad parameter) or 9 (no space or memory). */
TOVR_API TOVR_Db *TOVR_dbOpen(const char *indexName, char keyCoding, char hashWidth, int *status,
                              short bufferCount, short initialPages, short extensionSize,
                              const char *const *statements, const char *signature,
                              short writeFlag);
/* Flushes and closes an index handle and sets *h to null; 0, or 13 for an invalid handle. */
TOVR_API int TOVR_dbClose(TOVR_Db **h);
/* Inserts what the insert cache holds, then writes every changed page of the handle's file;
 * 0, or 13 for an invalid handle. */
TOVR_API int TOVR_dbFlush(TOVR_Db *h);
/* Frees every page of the handle's sequence, closes the handle and sets *h to null; 0, or 13
 * for an invalid handle. */
TOVR_API int TOVR_dbRemove(TOVR_Db **h);
/* 1 when path is an index file whose signature text equals signature exactly, else 0. */
TOVR_API int TOVR_dbIsValidFile(const char *path, const char *signature);
/* Copies at most size characters of the file's description text and a terminator into text
 * (size + 1 bytes); 0, or 3 when the file is missing or not an index file. */
TOVR_API int TOVR_dbGetMetadata(const char *path, char *text, int size);
/* Replaces the file's description text (at most 759 characters); 0, 3 (missing or not an
 * index file) or 9 (the label could not be written). */
TOVR_API int TOVR_dbSetMetadata(const char *path, const char *text);
/* Sets the record-count value to recordCount / 32 and returns it; a relation whose pointer
 * count exceeds it becomes a bitmap. The handle is not used. */
TOVR_API int TOVR_dbSetNumRecords(TOVR_Db *h, int recordCount);
/* Copies the message of an index status code into text (at least 60 bytes); codes other than
 * 0..18 read "Return code undefined". */
TOVR_API void TOVR_dbQueryCodeEnum(int code, char *text);
/* Adds record pointer recPtr (1..2^31-1) to key (at most 83 characters). An empty key does
 * nothing (0). flag 1: the key must be new. Returns 0, 9 (no space), 11 (key exists),
 * 12 (pointer already there, or a bad key or pointer) or 13 (invalid handle); with the insert
 * cache on, the pair is only recorded and the status is that of the flush it triggers. */
TOVR_API int TOVR_dbInsert(TOVR_Db *h, const char *key, int recPtr, int flag);
/* Removes record pointer recPtr from key: 0, 7 (key not found or pointer 0), 8 (pointer not
 * there), 9, 13, or 18 when the key's bitmap became a relation. */
TOVR_API int TOVR_dbDelete(TOVR_Db *h, const char *key, int recPtr);
/* Removes key with all its record pointers: 0, 7 (not found), 9 or 13. */
TOVR_API int TOVR_dbDeleteAll(TOVR_Db *h, const char *key);
/* Starts a search of the keys whose head matches key (at most 79 characters): 0, 3 (no
 * match) or 13. */
TOVR_API int TOVR_dbFindMatch(TOVR_Db *h, const char *key);
/* Copies the tail of the next key of a TOVR_dbFindMatch search into tail (84 bytes): 0, -1
 * when there are no more, 13 for an invalid handle or a search that is over. */
TOVR_API int TOVR_dbNextMatch(TOVR_Db *h, char *tail);
/* Adds the 0-terminated list of record pointers to key: 0, 9, 12 (empty key, or a repeated
 * pointer while the key is not yet a relation or is a bitmap) or 13. */
TOVR_API int TOVR_dbInsertGroup(TOVR_Db *h, const char *key, const int *recPtrs);
/* Compiles a query expression into the handle's program, widening terms marked ? or + to
 * similar keys scoring at least threshold (700 when below 1.0); callback, when not null,
 * sees each widened term's candidates and may clear entries to drop them. Returns 0, 0xFFFF
 * for an invalid handle, 0xFFFE when the program is full, or the position of the error:
 * the 0-based index of the offending character for a term or token error, the 1-based
 * position of the offending token for grammar, parenthesis and selector errors. */
TOVR_API unsigned short TOVR_dbParse(TOVR_Db *h, const char *query, float threshold,
                                     TOVR_SpellFn callback);
/* Makes key the handle's program and starts reading its record pointers with
 * TOVR_dbGetNext. Returns 0, 7 when the key is not in the index (TOVR_dbGetNext then
 * gives -2), or 13 for an invalid handle. */
TOVR_API int TOVR_dbFind(TOVR_Db *h, const char *key);
/* Hands out the next record pointer of the current find or query, in ascending order;
 * -1 when there are no more, -2 for an invalid handle, when no reading was started, after
 * -1 was returned, or when a page could not be read. */
TOVR_API int TOVR_dbGetNext(TOVR_Db *h);
/* Starts reading the record pointers selected by the handle's program, one segment of
 * 8064 record numbers at a time. Returns 0, -1 for an invalid handle, or -2 when a page
 * could not be read or the expression needs more than five pending bitmaps. */
TOVR_API int TOVR_dbList(TOVR_Db *h);
/* Sets the insert cache's capacity in pairs (below 1: off; shrinking inserts what is held
 * first): 0, or 13 for an invalid handle or when the pairs cannot be allocated. */
TOVR_API int TOVR_dbSetInsertCacheSize(TOVR_Db *h, int capacity);
/* Inserts the pairs held, sorted by key when more than four, skipping repeats; returns the
 * status of the last pair (0 when none was held), or 13 for an invalid handle. */
TOVR_API int TOVR_dbFlushInsertCache(TOVR_Db *h);
/* Evaluates the handle's program at once into a result set that the caller owns and
 * releases with TOVR_dbDeleteQueryResult. Null for an invalid handle, when memory runs
 * out or a page could not be read. */
TOVR_API TOVR_QueryResult *TOVR_dbReturnQueryResult(TOVR_Db *h);
/* Hands out the next record pointer of a result set in ascending order; 0 at the end
 * (also for null or an empty set), -1 when the set holds every record. */
TOVR_API int TOVR_dbGetNextQueryResult(TOVR_QueryResult *r);
/* Releases a result set; null is accepted. */
TOVR_API void TOVR_dbDeleteQueryResult(TOVR_QueryResult *r);

/* ---- Standardizer ------------------------------------------------------------------- */

/* Compiles a standardizer file and the classification tables, dictionaries and pattern files
 * it names, loading each distinct dictionary into mk as a match key layout; 0 on success, 1
 * on any failure (the details go to the console). *handle is set as soon as the block exists,
 * also when the compile fails later: release it with TOVR_asCloseStan in both cases. Adds the
 * record length of every match key loaded to *totalKeyLength (which it never resets). */
TOVR_API short TOVR_asStanComp(const char *specFile, TOVR_Stan **handle, TOVR_Mk *mk,
                               short *totalKeyLength);
/* Releases a standardizer: closes its output files, removes its match key layouts and frees
 * everything it owns; 0, 1 for a null handle or one without the "STAN" tag (nothing is
 * freed), 16 when a token list cannot be released, 23 when a layout cannot be removed. */
TOVR_API int TOVR_asCloseStan(TOVR_Stan *handle);
/* Standardizes the next input record: reads it (from the file named by INFILE, opened on the
 * first read, or through the host's reading callbacks, or from originalRecord in interactive
 * mode), runs every process, writes one output line per process and appends the match keys in
 * key order to keys and the auxiliary items to auxText (both emptied by the caller).
 * inputArea and originalRecord hold at least 1025 bytes. *firstCall is set by the host before
 * the first call and cleared by it. Returns 0 for a processed record, 11 at the end of the
 * input (also when the TEST count is reached), 1 for an invalid handle, a null buffer or a
 * block whose compile failed, 2 when the input file cannot be opened or a read of it fails
 * (the record is dropped; the next call reads on), 8 for an input record set over 1024
 * characters, 29 for too few items, 34 for a line delimiter in interactive mode, or the code
 * of the first failure of a run (12, 13, 15, 17-22, 26 also for a value file that cannot be
 * read, 27, 31-34), each after its console message. */
TOVR_API int TOVR_asProcStan(TOVR_Stan *h, char *inputArea, char *keys, char *auxText,
                             short *firstCall, char *originalRecord);
/* Prepares the per-line format tables (and whatever the first records would allocate) after a
 * successful TOVR_asStanComp and before the first TOVR_asProcStan; 0, or 1 for an invalid
 * handle. */
TOVR_API int TOVR_asSetNewFormats(TOVR_Stan *h);
/* Copies the text of a standardizer status code (0 to 35; "Return code undefined" for any
 * other) into text, which holds at least 65 bytes. */
TOVR_API void TOVR_asQueryCodeEnum(int code, char *text);

#ifdef __cplusplus
}
#endif

#endif /* TOVR_H_ */
