// Tokenizer: cuts a text into tokens and gives every token a one-character class.
//
// One tokenizer block keeps eleven token lists side by side, numbered 0 to 10 (the table
// numbers). Each list has room for 200 tokens, allocated the first time its number is used
// and reused for every later text until tkFreeToken, so tokenizing a record allocates
// nothing once its list exists.
//
// Classes: "A" to "Z" come from the classification table; the tokenizer itself gives "?" (a
// word that no table entry took), "^" (all digits), "<" (letters, then digits or other
// characters), ">" (digits, then letters or other characters), "@" (a mixture that changes
// back), "~" (begins with a character that is neither letter nor digit) and "!" (one of the
// four before when its mode letter is absent); a separator token is its own class.
//
// Every operation returns one of the TkStatus codes; table numbers outside 0 to 10 give
// kTkBadTableNumber. The block pointer must come from tkInit.
#pragma once

#include "stanengine/token.h"

namespace tovr {

struct TableRegistry;
struct Tokenizer;

inline constexpr int kTkLists = 11;        // table numbers 0 to 10
inline constexpr int kTkMaxTokens = 200;   // room of one token list
inline constexpr int kTkMessageSize = 52;  // least size of a tkMessage buffer

// Mode letters and proximity prefix with which the engine classifies.
inline constexpr const char* kTkEngineModes = "UNAMS";
inline constexpr int kTkEnginePrefix = 1;

enum TkStatus : int {
  kTkOk = 0,
  kTkTableNotFound = 1,
  kTkTableInError = 2,
  kTkNoMemory = 3,
  kTkTableTooLarge = 4,
  kTkBadTableNumber = 5,
  kTkBadMode = 6,
  kTkTooManyTokens = 7,
  kTkTokenNotFound = 8,
  kTkBadTableEntry = 9,
  kTkBadParameter = 10,
};

// What tkInit returns when the block cannot be allocated.
inline constexpr int kTkInitFailed = 1;

// Allocates a block with every list empty; kTkInitFailed (and *block null) when memory runs
// out.
int tkInit(Tokenizer** block);

// Frees every list and then the block; a null block is ignored.
int tkClose(Tokenizer* block);

// Frees the list of that number and sets its count to 0.
int tkFreeToken(Tokenizer* block, int table);

// Number of tokens in the list of that number.
int tkGetN(Tokenizer* block, int table, int* count);

// Loads a classification table (comparison mode "I") under table_name from file_name and
// checks every row: column 1 at most 39 characters, column 2 present and at most 25,
// column 3 present and at most 1, column 4 (when the table has one) a number from 0 to 900.
// *row is 0 on success and the 1-based row that failed on kTkBadTableEntry.
int tkLoadTable(TableRegistry* registry, const char* table_name, const char* file_name, int* row);

// Replaces the list of that number by the tokens of text and classifies each with the named
// classification table. separators: characters that end words and are tokens of their own;
// strip: characters that are deleted (or, when also separators, only end words). modes: the
// mode letters U, N, A, M, S, C, O in any case. prefix: the prefix length of near lookups.
// *list receives the list once the text is cut. kTkTooManyTokens leaves the count 0; a
// failing classification leaves the list as far as it got. A null text, list or table name
// counts as empty; without a table name, words are not looked up and stay "?".
int tkTokenize(Tokenizer* block, TableRegistry* registry, int table, const char* text,
               const char* cls_table, const char* modes, const char* separators, const char* strip,
               int prefix, Token** list);

// Clears the token's class, sets TokenLen from TokenValue and classifies it again.
int tkClassify(TableRegistry* registry, Token* token, const char* cls_table, const char* modes,
               int prefix);

// Puts a copy of token into the list of that number. position p (1-based, n the count):
// p = 0 or n + 1 appends; 1 <= p <= n inserts before token p and renumbers the list;
// -n <= p <= -1 replaces token |p|, keeping its number, line and position. Other positions
// give kTkTokenNotFound; a full list gives kTkTooManyTokens. The token may be one of the list.
int tkInsertToken(Tokenizer* block, int table, int position, const Token* token);

// Copies the text of a status code into text (at least kTkMessageSize bytes).
int tkMessage(int code, char* text);

}  // namespace tovr
