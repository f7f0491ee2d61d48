// Status codes of the standardizer engine (texts: as_code_text). The compiler's few codes
// live beside the texts; the engine names every code it returns here.
#pragma once

namespace tovr::as_status {

inline constexpr int kOk = 0;
inline constexpr int kInvalidHandle = 1;
inline constexpr int kOpenInput = 2;
inline constexpr int kEofGetc = 5;
inline constexpr int kEofGets = 6;
inline constexpr int kEofRead = 7;
inline constexpr int kTooLong = 8;
inline constexpr int kTestReached = 10;
inline constexpr int kEndOfInput = 11;
inline constexpr int kTokenize = 12;
inline constexpr int kClassify = 13;
inline constexpr int kGetN = 15;
inline constexpr int kInsertToken = 17;
inline constexpr int kAlphaRun = 18;
inline constexpr int kMkSet = 19;
inline constexpr int kMkGet = 20;
inline constexpr int kMkCopy = 21;
inline constexpr int kMkClear = 22;
inline constexpr int kValues = 26;
inline constexpr int kConditions = 27;
inline constexpr int kItemCount = 29;
inline constexpr int kProx = 31;
inline constexpr int kNoFormat = 32;
inline constexpr int kMultiToken = 33;
inline constexpr int kNotImplemented = 34;

}  // namespace tovr::as_status
