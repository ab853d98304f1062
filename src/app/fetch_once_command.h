#pragma once
// "lumetra --fetch-once N": fetches definition N into its page cache without
// a display and says whether the page changed. Exit code as diff has it:
// 0 unchanged, 1 changed, 2 trouble.
#include <string>

namespace lumetra {

int RunFetchOnce(int argc, char** argv, const std::string& dataFolderOverride, const std::string& number);

}  // namespace lumetra
