// Opcodes of the compiled pattern program, as the engine reads them.
#pragma once

namespace tovr::op {

inline constexpr short kExit = 2;
inline constexpr short kConvert = 12;
inline constexpr short kConvertP = 13;
inline constexpr short kConvertS = 14;
inline constexpr short kFirstPattern = 100;
inline constexpr short kPattern = 101;
inline constexpr short kFixedLeft = 110;
inline constexpr short kFixedRight = 111;
inline constexpr short kFloatStart = 112;
inline constexpr short kFloatRightStart = 113;
inline constexpr short kAnchor = 114;
inline constexpr short kNewlineLeft = 115;
inline constexpr short kNewlineRight = 116;
inline constexpr short kClass = 120;
inline constexpr short kFloatClass = 121;
inline constexpr short kNotClass = 122;
inline constexpr short kFloatNotClass = 123;
inline constexpr short kUnknown = 124;
inline constexpr short kFloatUnknown = 125;
inline constexpr short kAnyToken = 126;
inline constexpr short kUniversalSearch = 127;
inline constexpr short kUniversalToEol = 128;
inline constexpr short kValues = 129;
inline constexpr short kCondition = 130;
inline constexpr short kField = 131;
inline constexpr short kConditionOnly = 132;
inline constexpr short kEndOfField = 133;
inline constexpr short kEndOfLine = 134;
inline constexpr short kLowPositive = 150;
inline constexpr short kLowNegative = 151;
inline constexpr short kHighPositive = 152;
inline constexpr short kHighNegative = 153;
inline constexpr short kOperandStart = 160;
inline constexpr short kFloatLoop = 161;
inline constexpr short kFloatRightLoop = 162;
inline constexpr short kTokenLeft = 170;
inline constexpr short kUniversalBegin = 180;
inline constexpr short kUniversalLast = 190;
inline constexpr short kCall = 195;
inline constexpr short kReturn = 196;
inline constexpr short kMatched = 200;
inline constexpr short kFirstAction = 210;  // copying actions and RETYPE: 210 to 284
inline constexpr short kLastAction = 284;
inline constexpr short kEndOfMain = 300;

}  // namespace tovr::op
