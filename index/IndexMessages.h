// Every text the disk index shows: the consistency messages of its page routines and the
// messages of its status codes. Written once here and used by name everywhere else.
#pragma once

#include "index/DbStatus.h"

namespace tovr::dbmsg {

// Buffer pool and file.
inline constexpr char kWriteNotInMemory[] =
    "Attempt to write a buffer not in memory, page %ld.  Check for available disk space";
inline constexpr char kPhysIOMismatch[] =
    "Page mismatch PhysIO, buffer %ld, BufCtrl %ld.  Check for available disk space";
inline constexpr char kPhysIOSeek[] =
    "Invalid seek page %ld, PhysIO.  Check for available disk space";
inline constexpr char kPhysIOWrite[] =
    "Invalid write, page %ld, PhysIO.  Check for available disk space";
inline constexpr char kPhysIORead[] =
    "Invalid read page %ld PhysIO.  Check for available disk space";
inline constexpr char kReadPageMismatch[] =
    "Page mismatch ReadPage from %s, req = %ld, found = %ld.  Check for available disk space";
inline constexpr char kWritePageMismatch[] =
    "Page mismatch WritePage from %s, req = %ld, found %ld.  Check for available disk space.";
inline constexpr char kPageNotFree[] =
    "Page request is not free, FreePage %ld, Caller = %s.  Check for available disk space.";
inline constexpr char kExtendReadOnly[] = "Index open for write (ExtendFile)";
inline constexpr char kExtendSeek[] =
    "Invalid seek page %ld, ExtendFile.  Check for available disk space";
inline constexpr char kReturnPageMismatch[] =
    "Page mismatch in ReturnPage from %s; Request %ld, buff = %ld.  Check for available disk "
    "space.";
inline constexpr char kFlushSeek[] =
    "Invalid seek page %ld, TOVR_dbFlush.  Check for available disk space";
inline constexpr char kFlushMismatch[] =
    "Page mismatch, TOVR_dbFlush, BufCtl = %ld, Buf = %ld.  Check for available disk space";
inline constexpr char kFlushWrite[] =
    "Invalid write, page %ld, TOVR_dbFlush.  Check for available disk space";
inline constexpr char kNewFileReadOnly[] = "Read/Write access on NewFile (OpenFile)";
inline constexpr char kNewIndexReadOnly[] = "Index open for read/write (NewIndex)";
inline constexpr char kHaveFilePointer[] = "Have file pointer";

// Opening and removing sequences.
inline constexpr char kCreateReadOnly[] = "Read/write access on index create";
inline constexpr char kRemoveReadOnly[] = "Index open for write (TOVR_dbRemove)";

// Key coding.
inline constexpr char kLongSoundex[] = "Long SOUNDEX not implemented yet";

// The cross-reference file read when the host passes no statements.
inline constexpr char kXrefFileName[] = "indxname.xrf";

// Statement keywords of the cross-reference source.
inline constexpr char kFileKeyword[] = "FILE";
inline constexpr char kIndexKeyword[] = "INDEX";
inline constexpr char kIncludeKeyword[] = "INCLUDE";
inline constexpr char kEndKeyword[] = "END";

// Texts of the status codes 0..18; any other code reads "Return code undefined".
inline constexpr const char* kStatusTexts[] = {
    "",
    "New index file created",
    "New index sequence created",
    "Index not found in cross reference file",
    "Cross reference file not found",
    "Cross reference file contains errors",
    "Parameter to TOVR_dbOpen invalid",
    "Key could not be found in index",
    "Key was found but user rec pointer was not in index",
    "No space on disk for index",
    "No space on disk for index",
    "Key already exists in index",
    "User record pointer already exists in index or key/ptr null",
    "Index closed or handle invalid",
    "Bitmask flag",
    "Hash table full",
    "Overflow page generated",
    "Relation discarded",
    "Bitmask will be converted to relation",
};
inline constexpr char kUndefinedStatus[] = "Return code undefined";

}  // namespace tovr::dbmsg

namespace tovr {

// The message of a status code.
inline const char* status_text(int code) {
  constexpr int count = static_cast<int>(sizeof dbmsg::kStatusTexts / sizeof(const char*));
  return code >= 0 && code < count ? dbmsg::kStatusTexts[code] : dbmsg::kUndefinedStatus;
}

}  // namespace tovr
