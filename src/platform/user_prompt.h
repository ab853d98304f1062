#pragma once
// Message boxes as seen from code that has no display of its own. The window
// layer installs a handler that shows a real box titled with the application
// title; without one (console runs, tests) the text goes to stderr and the
// default answer is given. Tests install a handler that records and answers.
#include <functional>
#include <string>

namespace lumetra::platform {

// The application title: the maker's and the product's names.
inline constexpr const char* kApplicationTitle = "Tarvo Lumetra";

enum class PromptButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class PromptIcon { None, Information, Warning, Error, Question };
enum class PromptAnswer { Ok, Cancel, Yes, No };

struct PromptRequest {
  std::string text;  // Shift_JIS
  PromptButtons buttons = PromptButtons::Ok;
  PromptIcon icon = PromptIcon::Information;
  PromptAnswer defaultAnswer = PromptAnswer::Ok;
  std::string caption;  // Shift_JIS; empty: the application title
};

using PromptHandler = std::function<PromptAnswer(const PromptRequest&)>;

PromptAnswer ShowPrompt(const PromptRequest& request);
inline void ShowMessage(const std::string& text, PromptIcon icon = PromptIcon::Information) {
  ShowPrompt({text, PromptButtons::Ok, icon, PromptAnswer::Ok, {}});
}
// Returns the previous handler.
PromptHandler SetPromptHandler(PromptHandler handler);

}  // namespace lumetra::platform
