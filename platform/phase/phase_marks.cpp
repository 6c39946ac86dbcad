#include "platform/phase/phase_marks.h"

#include <cstdint>
#include <string>

#include "platform/files.h"
#include "platform/system.h"

namespace velt {
namespace phase {
namespace {

struct Record {
  const char* name;
  int64_t counter;
};

constexpr int kCapacity = 32;
Record records[kCapacity];
int count = 0;

}  // namespace

void Mark(const char* name) {
  int64_t counter = 0;
  if (count < kCapacity && platform::QueryPerformanceCounter(&counter))
    records[count++] = {name, counter};
}

void Save() {
  char path[260];
  const uint32_t length = platform::GetEnvironmentVariable("VELT_PHASE_FILE", path, sizeof path);
  if (length == 0 || length >= sizeof path)
    return;
  std::string text;
  for (int i = 0; i < count; ++i)
    text += std::string(records[i].name) + " " + std::to_string(records[i].counter) + "\n";
  platform::ScopedHandle file =
      platform::CreateFile(path, platform::FileAccess::kWrite, platform::FileShare::kNone,
                           platform::FileDisposition::kCreateAlways);
  uint32_t written = 0;
  if (file.IsValid())
    platform::WriteFile(file.Get(), text.data(), static_cast<uint32_t>(text.size()), &written);
}

}  // namespace phase
}  // namespace velt
