// One copy at a time, end to end: a copy that finds another running ends at
// once with 1618 and shows nothing, and of copies started together exactly
// one writes the data file, which stays whole.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "deployment/exit_codes.h"
#include "tests/e2e/e2e_harness.h"

namespace velt::e2e {
namespace {

struct CopyRun {
  DWORD exit_code = STILL_ACTIVE;
  DWORD ms = 0;  // from the moment all copies were let go to this one's end
  size_t boxes = 0;
  std::string first_box;  // its text, in code page 1252
};

// " <exit code> after <ms> ms".
std::string Figure(const CopyRun& run) {
  std::string figure = " ";
  figure += std::to_string(run.exit_code);
  figure += " after ";
  figure += std::to_string(run.ms);
  figure += " ms";
  return figure;
}

class SingleCopyE2eTest : public UpdateE2eTest {
 protected:
  // Starts one copy of the updater per entry of `arguments`, all suspended,
  // lets them go at the same moment and waits for each; any box one of them
  // shows is recorded and answered.
  std::vector<CopyRun> RunCopiesTogether(const std::vector<std::string>& arguments) {
    std::vector<PROCESS_INFORMATION> started;
    for (const std::string& words : arguments) {
      std::string command = '"' + UpdaterPath();
      command += "\" ";
      command += words;
      STARTUPINFOA startup = {};
      startup.cb = sizeof(startup);
      PROCESS_INFORMATION info = {};
      if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                          root().c_str(), &startup, &info)) {
        ADD_FAILURE() << "cannot start " << command << " (error " << GetLastError() << ")";
        break;
      }
      started.push_back(info);
    }
    std::vector<CopyRun> runs(started.size());
    std::vector<MessageBoxAnswerer> answerers;
    for (const PROCESS_INFORMATION& info : started)
      answerers.emplace_back(info.dwProcessId, std::vector<int>{});
    const DWORD go = GetTickCount();
    for (const PROCESS_INFORMATION& info : started)
      ResumeThread(info.hThread);
    for (size_t left = started.size(); left > 0 && GetTickCount() - go < 60000;) {
      for (size_t i = 0; i < started.size(); ++i) {
        if (runs[i].exit_code != STILL_ACTIVE)
          continue;
        answerers[i].AnswerPending();
        if (WaitForSingleObject(started[i].hProcess, 0) == WAIT_OBJECT_0) {
          GetExitCodeProcess(started[i].hProcess, &runs[i].exit_code);
          runs[i].ms = GetTickCount() - go;
          runs[i].boxes = answerers[i].boxes().size();
          if (runs[i].boxes != 0)
            runs[i].first_box = ToCodePage(answerers[i].boxes()[0].text, 1252);
          --left;
        }
      }
      Sleep(5);
    }
    for (size_t i = 0; i < started.size(); ++i) {
      if (runs[i].exit_code == STILL_ACTIVE) {
        ADD_FAILURE() << "a copy did not end within 60 s";
        TerminateProcess(started[i].hProcess, 124);
      }
      CloseHandle(started[i].hThread);
      CloseHandle(started[i].hProcess);
    }
    return runs;
  }
};

// The silent copy ends without a word; an interactive one tells the user why
// nothing happens.
TEST_F(SingleCopyE2eTest, ASilentCopyEndsAtOnceWhileAnotherWaitsOnItsQuestion) {
  const std::string before = ReadPackage();
  std::vector<CopyRun> second;
  BeforeAnswering([&](size_t index, const SeenBox&) {
    if (index == 0)
      second = RunCopiesTogether({"modest", ""});
  });
  UpdateRun first = RunUpdate({}, {IDNO});
  EXPECT_EQ(first.exit_code, kExitOk);
  ASSERT_EQ(first.boxes.size(), 1u);
  ASSERT_EQ(second.size(), 2u);
  EXPECT_EQ(second[0].exit_code, static_cast<DWORD>(kExitAnotherCopyRunning));
  EXPECT_EQ(second[0].boxes, 0u);
  EXPECT_LT(second[0].ms, 1000u) << "the second copy took " << second[0].ms << " ms";
  EXPECT_EQ(second[1].exit_code, static_cast<DWORD>(kExitAnotherCopyRunning));
  EXPECT_EQ(second[1].boxes, 1u);
  EXPECT_EQ(second[1].first_box,
            "An update of Velt is already running.\r\nPlease wait until it has finished.");
  EXPECT_EQ(ReadPackage(), before);
  std::printf(
      "[ figures  ] a silent copy beside one waiting on its question: exit %lu after %lu ms\n",
      second[0].exit_code, second[0].ms);
}

// Each round a running Velt keeps the data file 1.5 s after it is asked to
// quit, so the copy that got the guard is still at work when the others
// arrive, however the system schedules their start.
TEST_F(SingleCopyE2eTest, OfFourSilentCopiesStartedTogetherExactlyOneWrites) {
  const int kRounds = 3;
  for (int round = 1; round <= kRounds; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    WritePackage(PackageWithVersionByte(42));
    ASSERT_TRUE(StartRunningVelt(1500));
    const std::vector<CopyRun> runs = RunCopiesTogether({"modest", "modest", "modest", "modest"});
    DWORD velt_exit = 99;
    EXPECT_TRUE(running_velt().WaitForExit(10000, &velt_exit));
    running_velt().End();

    int written = 0;
    int kept_out = 0;
    std::string figures;
    for (const CopyRun& run : runs) {
      written += run.exit_code == kExitOk;
      kept_out += run.exit_code == static_cast<DWORD>(kExitAnotherCopyRunning);
      EXPECT_EQ(run.boxes, 0u);
      figures += Figure(run);
    }
    EXPECT_EQ(written, 1);
    EXPECT_EQ(kept_out, 3);
    EXPECT_EQ(ReadPackage(), CarriedPackage());
    EXPECT_FALSE(NewFileLeft());
    std::printf("[ figures  ] round %d, Velt holding the file:%s\n", round, figures.c_str());
  }
}

// Without anything to wait for, a copy may end before another starts; then
// both write, one after the other. Whatever the timing, no copy fails, none
// shows a box, and the file is whole.
TEST_F(SingleCopyE2eTest, FourSilentCopiesStartedTogetherNeverFailOrBreakTheFile) {
  const int kRounds = 3;
  for (int round = 1; round <= kRounds; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    WritePackage(PackageWithVersionByte(42));
    const std::vector<CopyRun> runs = RunCopiesTogether({"modest", "modest", "modest", "modest"});
    int written = 0;
    std::string figures;
    for (const CopyRun& run : runs) {
      EXPECT_TRUE(run.exit_code == kExitOk ||
                  run.exit_code == static_cast<DWORD>(kExitAnotherCopyRunning))
          << run.exit_code;
      EXPECT_EQ(run.boxes, 0u);
      written += run.exit_code == kExitOk;
      figures += Figure(run);
    }
    EXPECT_GE(written, 1);
    EXPECT_EQ(ReadPackage(), CarriedPackage());
    EXPECT_FALSE(NewFileLeft());
    std::printf("[ figures  ] round %d, nothing held: %d of 4 wrote;%s\n", round, written,
                figures.c_str());
  }
}

}  // namespace
}  // namespace velt::e2e
