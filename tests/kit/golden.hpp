#pragma once
// Golden files: compared as stored, re-recorded only when CORVANE_RECORD_GOLDENS=1.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace corvane::testing {

inline bool recordingGoldens() {
  const char* v = std::getenv("CORVANE_RECORD_GOLDENS");
  return v && std::string(v) == "1";
}

inline std::string goldenPath(const std::string& relative) {
  return std::string(CORVANE_TEST_DATA_DIR) + "/" + relative;
}

// Indents compact JSON, two spaces a level, for files people read and diff.
inline std::string prettyJson(const std::string& json) {
  std::string out;
  int depth = 0;
  bool inString = false, escaped = false;
  auto newline = [&] { out += "\n" + std::string(static_cast<std::size_t>(depth) * 2, ' '); };
  for (std::size_t i = 0; i < json.size(); ++i) {
    char c = json[i];
    out.push_back(c);
    if (inString) {
      if (escaped)
        escaped = false;
      else if (c == '\\')
        escaped = true;
      else if (c == '"')
        inString = false;
      continue;
    }
    if (c == '"')
      inString = true;
    else if (c == ':')
      out.push_back(' ');
    else if (c == ',')
      newline();
    else if (c == '{' || c == '[') {
      char next = i + 1 < json.size() ? json[i + 1] : ' ';
      if (next == '}' || next == ']') continue;
      ++depth;
      newline();
    } else if ((c == '}' || c == ']') && i > 0 && json[i - 1] != '{' && json[i - 1] != '[') {
      out.pop_back();
      --depth;
      newline();
      out.push_back(c);
    }
  }
  return out + "\n";
}

inline void expectGolden(const std::string& relative, const std::string& actual) {
  const std::string path = goldenPath(relative);
  if (recordingGoldens()) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << actual;
    return;
  }
  std::ifstream in(path, std::ios::binary);
  ASSERT_TRUE(in) << "no golden at " << path << " (record with CORVANE_RECORD_GOLDENS=1)";
  std::stringstream expected;
  expected << in.rdbuf();
  EXPECT_EQ(expected.str(), actual) << "golden " << path << " differs (re-record with CORVANE_RECORD_GOLDENS=1)";
}

}  // namespace corvane::testing
