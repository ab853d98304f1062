#include "platform/user_prompt.h"

#include <cstdio>

#include "platform/sjis_text.h"

namespace lumetra::platform {
namespace {
PromptHandler& Handler() {
  static PromptHandler handler;
  return handler;
}
}  // namespace

PromptHandler SetPromptHandler(PromptHandler handler) {
  PromptHandler previous = std::move(Handler());
  Handler() = std::move(handler);
  return previous;
}

PromptAnswer ShowPrompt(const PromptRequest& request) {
  if (Handler()) return Handler()(request);
  std::fprintf(stderr, "%s: %s\n", kApplicationTitle, SjisToUtf8(request.text).c_str());
  return request.defaultAnswer;
}

}  // namespace lumetra::platform
