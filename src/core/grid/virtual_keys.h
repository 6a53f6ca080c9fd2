// Key codes as the program's key handlers receive them: the virtual-key numbers of the
// platform the handlers were written for (13 Enter, 27 Escape, 46 Delete, 67 the letter C).
// Letters and digits are their upper-case ASCII codes. The front end translates its
// toolkit's key codes into these before it forwards a key event.
#pragma once

namespace velmora::core::grid::vk {

inline constexpr int kBackspace = 8;
inline constexpr int kTab = 9;
inline constexpr int kReturn = 13;
inline constexpr int kShift = 16;
inline constexpr int kControl = 17;
inline constexpr int kAlt = 18;
inline constexpr int kPause = 19;
inline constexpr int kCapsLock = 20;
inline constexpr int kEscape = 27;
inline constexpr int kSpace = 32;
inline constexpr int kPageUp = 33;
inline constexpr int kPageDown = 34;
inline constexpr int kEnd = 35;
inline constexpr int kHome = 36;
inline constexpr int kLeft = 37;
inline constexpr int kUp = 38;
inline constexpr int kRight = 39;
inline constexpr int kDown = 40;
inline constexpr int kInsert = 45;
inline constexpr int kDelete = 46;
inline constexpr int kDigit0 = 48;   // '0' .. '9' are 48 .. 57
inline constexpr int kLetterA = 65;  // 'A' .. 'Z' are 65 .. 90
inline constexpr int kLetterC = 67;
inline constexpr int kLetterV = 86;
inline constexpr int kApps = 93;     // the context-menu key
inline constexpr int kNumpad0 = 96;  // numeric keypad 0 .. 9 are 96 .. 105
inline constexpr int kMultiply = 106;
inline constexpr int kAdd = 107;
inline constexpr int kSubtract = 109;
inline constexpr int kDecimal = 110;
inline constexpr int kDivide = 111;
inline constexpr int kF1 = 112;  // F1 .. F24 are 112 .. 135
inline constexpr int kF9 = 120;

}  // namespace velmora::core::grid::vk
