#pragma once
// Real message boxes for the prompts of the program, titled "Tarvo Lumetra".
namespace lumetra::platform {

// Installs the widget-based prompt handler (call once a QApplication exists).
void InstallMessageBoxPrompts();

}  // namespace lumetra::platform
