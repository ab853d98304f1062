#include "retrieval/encodings.h"
#include "retrieval/mime_words.h"

namespace lumetra {

std::string DecodeToSjis(std::string_view text, int encoding) {
  switch (encoding) {
    case kEncodingEucJp: return EucToSjis(text);
    // Pages in ISO-2022-JP may carry mail-style encoded words as well.
    case kEncodingIso2022Jp: return DecodeEncodedWords(text);
    case kEncodingUtf8: return Utf8ToCp932(text);
    case kEncodingUtf16Le: return Utf16LeToCp932(text);
    default: return std::string(text);
  }
}

}  // namespace lumetra
