#pragma once
// Socket error texts. Errors are numbered as the WinSock codes the texts were
// written for; Linux errno values are mapped onto the nearest code first.
#include <string>

namespace lumetra::platform {

// Shift_JIS text for a WinSock-style code; "" for 0, "WinSock Error=N" when unknown.
std::string GetErrorMsg(int code);
// errno (or a negative EAI_* resolver code) to the nearest WinSock code.
int WinSockCodeFromErrno(int error);

}  // namespace lumetra::platform
