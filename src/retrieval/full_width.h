#pragma once
// Half-width to full-width conversion of program text, for bars that show
// headlines in full-width characters.
#include <string>
#include <string_view>

namespace lumetra {

// Shift_JIS text with ASCII letters and digits, 32 ASCII symbols and
// half-width katakana replaced by their full-width forms. "ｶﾞ" gives "ガ",
// "ﾊﾟ" gives "パ"; a mark that cannot join its kana ("ｱﾞ", and "ﾟ" after the
// rows ｶ..ﾄ, which have no semi-voiced form) becomes the full-width mark
// beside it ("ア゛"). "ｰ", a lone mark and the half-width punctuation
// 0xA1..0xA5 stay as they are.
std::string ToFullWidth(std::string_view text);

}  // namespace lumetra
