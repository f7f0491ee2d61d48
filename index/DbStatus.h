// Status codes of the disk index; their texts are in IndexMessages.h.
#pragma once

namespace tovr {

enum DbStatus : int {
  kDbOk = 0,
  kDbFileCreated = 1,
  kDbSequenceCreated = 2,
  kDbNotFound = 3,  // index not in the cross reference, bad label, no match
  kDbXrefMissing = 4,
  kDbXrefErrors = 5,
  kDbBadParameter = 6,
  kDbKeyNotFound = 7,
  kDbPointerNotFound = 8,
  kDbNoSpace = 9,
  kDbNoNode = 10,
  kDbKeyExists = 11,
  kDbDuplicate = 12,
  kDbBadHandle = 13,
  kDbToBitmap = 14,
  kDbNoBitLeft = 15,
  kDbOverflow = 16,
  kDbToSingle = 17,
  kDbToRelation = 18,
};

}  // namespace tovr
