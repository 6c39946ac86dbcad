// The whole program on a fake machine with Velt installed, run with the
// switches a deployment gives, and its run log read back.
#pragma once

#include <regex>
#include <string>
#include <vector>

#include "driver/program.h"
#include "driver/tests/update_fixture.h"
#include "platform/fake/fake_platform.h"

namespace velt_test {

inline const char kLogPath[] = "C:\\Logs\\update.log";
inline const char kPackagePath[] = "C:\\Program Files\\Velt\\vtup.cok";

class DeploymentTest : public UpdateTest {
 protected:
  void SetUp() override {
    UpdateTest::SetUp();
    fake::AddDirectory("C:\\Logs");
  }

  // Runs the whole program (its modules started and ended) with `arguments`.
  int RunProgram(const std::string& arguments) {
    fake::World().command_line = "velt-update.exe " + arguments;
    return velt::RunProgram();
  }

  // The log's lines, without their line breaks; empty when there is no log.
  static std::vector<std::string> LogLines(const std::string& path = kLogPath) {
    const std::string text = fake::FileData(path);
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
      lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "the log does not end with a line break";
    return lines;
  }

  // Whether a timed line of the log holds `part`.
  static bool Logged(const std::string& part, const std::string& path = kLogPath) {
    for (const std::string& line : LogLines(path)) {
      if (line.find(part) != std::string::npos)
        return true;
    }
    return false;
  }

  // Every line but the last starts with the local time; the last is the
  // deployment tools' line, returned.
  static std::string FinalLine(const std::string& path = kLogPath) {
    const std::vector<std::string> lines = LogLines(path);
    if (lines.empty())
      return std::string();
    const std::regex timed(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} \S.*)");
    for (size_t i = 0; i + 1 < lines.size(); ++i)
      EXPECT_TRUE(std::regex_match(lines[i], timed)) << "line " << i << ": " << lines[i];
    return lines.back();
  }

  // Makes the installed data file stay held beyond the retry budget, by a
  // process the Restart Manager names as `users`.
  void HoldPackage(const std::vector<platform::RmProcess>& users) {
    fake::FindEntry(kPackagePath)->held_until_ms = 60 * 1000;
    fake::World().file_users[fake::NormalizePath(kPackagePath)] = users;
  }

  bool Asked(const std::string& operation) {
    for (const fake::FaultCall& call : fake::World().faults.calls) {
      if (call.operation == operation)
        return true;
    }
    return false;
  }
};

}  // namespace velt_test
