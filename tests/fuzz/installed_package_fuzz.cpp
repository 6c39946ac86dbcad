// ReadInstalledVersion over a fake file of fuzzed bytes: the version is byte 4
// minus 32, or -32 when the file is shorter than five bytes; an open refused
// while another process holds the file counts as a failed attempt, retried 17
// times with a 256 ms pause after each; a failed read or a missing file ends
// the reading at once; on failure the version is untouched.
//
// Input: a mode byte, a hold byte, then the file's bytes.
//   mode % 4  0: plain  1: reads fail  2: held by another process for
//             (hold byte * 32) ms  3: no file
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "package/installed_package.h"
#include "platform/fake/fake_platform.h"
#include "platform/files.h"
#include "startup/release_facts.h"

namespace {

using velt_fuzz::ExpectEqual;

const char kFolder[] = "C:\\Program Files\\Velt";
const char kPath[] = "C:\\Program Files\\Velt\\vtup.cok";
constexpr int32_t kUntouched = 0x7EADBEEF;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2)
    return 0;
  const int mode = data[0] % 4;
  const int64_t held_until_ms = static_cast<int64_t>(data[1]) * 32;
  const std::string file = velt_fuzz::AsString(data + 2, size - 2);

  fake::ResetWorld();
  fake::AddDirectory(kFolder);
  if (mode != 3)
    fake::AddFile(kPath, file);
  if (mode == 1)
    fake::World().failing = {"ReadFile"};
  if (mode == 2)
    fake::FindEntry(kPath)->held_until_ms = held_until_ms;

  // Attempt k (from 0) starts at k * 256 ms; the open succeeds once the hold is over.
  // A refusal that waiting cannot clear (access denied, not found) ends at once.
  int64_t pauses = 0;
  bool opens = mode == 0;
  if (mode == 2) {
    const int64_t retry = velt::kPackageRetryDelayMs;
    pauses = std::min<int64_t>((held_until_ms + retry - 1) / retry, velt::kPackageAttempts);
    opens = pauses < velt::kPackageAttempts;
  }
  int32_t expected = kUntouched;
  if (opens) {
    expected = file.size() >= 5 ? static_cast<uint8_t>(file[4]) - 32 : -32;
  }

  int32_t version = kUntouched;
  {
    platform::ScopedHandle folder = platform::HoldFolder(kFolder);
    uint32_t error = 0;
    ExpectEqual("ReadInstalledVersion",
                velt::ReadInstalledVersion(folder.Get(), kPath, &version, &error), opens);
  }
  ExpectEqual("version", version, expected);
  ExpectEqual("pauses", static_cast<int64_t>(fake::World().sleeps.size()), pauses);
  for (uint32_t pause : fake::World().sleeps)
    ExpectEqual("pause length", pause, velt::kPackageRetryDelayMs);
  ExpectEqual("handles left open", fake::OpenHandleCount(), 0);
  if (mode != 3)
    ExpectEqual("file unchanged", fake::FileData(kPath), file);
  return 0;
}
