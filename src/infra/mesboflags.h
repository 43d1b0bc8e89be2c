#pragma once

// Flag words of the message-box service beyond the basic ones of mesbo.h.
// A flag word is made of bits: the low four choose the buttons (0 OK,
// 3 Yes/No/Cancel, 4 Yes/No, 5 Retry/Cancel), the next four the icon
// (16 error, 32 question, 48 warning, 64 information), and 256 makes the
// second button the default one (what Enter presses).

namespace qv {

inline constexpr int MbButtonsMask = 0x0F;
inline constexpr int MbIconMask = 0xF0;
inline constexpr int MbQuestionIcon = 32;
inline constexpr int MbDefaultSecond = 256;

// Question icon with "Да", "Нет" and "Отмена"; "Да" is the default.
inline constexpr int MbQuestionCancel = 35;
// Question icon with "Да" and "Нет"; "Нет" is the default.
inline constexpr int MbQuestionDefaultNo = 36 + MbDefaultSecond;

} // namespace qv
