#include "support/test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace lumetra::test {

TempFolder::TempFolder() : dir_(QDir::tempPath() + "/lumetra-test-XXXXXX") {
  if (!dir_.isValid()) ADD_FAILURE() << "cannot create a temporary folder";
  path_ = dir_.path().toStdString();
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace lumetra::test
