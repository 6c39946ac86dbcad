// GetText and GetTextLines over a fuzzed current file and a fuzzed default
// file, checked against LanguageFileModel; then one round of lookups while
// reads or opens fail, and a round after the failure is gone.
//
// Input: a flags byte, a padding byte, then NUL-separated parts: the current
// file, the default file, and keys to look up (the keys of the first headers of
// both files are looked up too).
//   bit 0  Cyrillic locale: russian.lng is the default file, english.lng a decoy
//   bit 1  the current file is the default file itself
//   bit 2-3  failure round: 0 none, 1 reads fail, 2 opens fail, 3 the current
//            file vanishes behind its open handle
//   bit 4-7  all set: both files start with a filler line that puts their text
//          at the read chunk boundary (4096 bytes) minus (padding byte % 64);
//          kept rare because every lookup then reads 4 KB more
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "language/integer_text.h"
#include "language/language.h"
#include "language_file_model.h"
#include "platform/fake/fake_platform.h"
#include "startup/install_environment.h"
#include "startup/startup_settings.h"
#include "startup/update_constants.h"
#include "sysinfo/os_description.h"

namespace {

using velt_fuzz::ExpectEqual;
using velt_fuzz::LanguageFileModel;

const char kFolder[] = "C:\\Program Files\\Velt\\language\\";
constexpr int32_t kEnglish = 0;
constexpr int32_t kRussian = 1;
constexpr int32_t kOther = 2;
constexpr size_t kMaxKeys = 8;
constexpr size_t kHeaderKeysPerFile = 4;

enum Failure { kNoFailure = 0, kReadsFail = 1, kOpensFail = 2, kFileVanishes = 3 };

// The keys named by the first headers of `text` (up to their first "]").
void AddHeaderKeys(const std::string& text, std::vector<std::string>* keys) {
  size_t added = 0;
  for (size_t start = 0; start < text.size() && added < kHeaderKeysPerFile;) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos)
      end = text.size();
    if (text[start] == '[') {
      const size_t close = text.find(']', start);
      if (close != std::string::npos && close < end) {
        keys->push_back(text.substr(start + 1, close - start - 1));
        ++added;
      }
    }
    start = end + 1;
  }
}

size_t BoxCount() {
  return fake::World().boxes.size();
}

void ExpectLookup(const char* what,
                  const std::string& key,
                  const std::string& actual,
                  const std::string& expected) {
  if (actual != expected) {
    velt_fuzz::Mismatch((std::string(what) + " of \"" + velt_fuzz::Escaped(key) + "\"").c_str(),
                        actual, expected);
  }
}

// Every key looked up both ways must match the model, with no box shown.
void ExpectModel(const std::vector<std::string>& keys,
                 const LanguageFileModel& current,
                 const LanguageFileModel& fallback) {
  const size_t boxes = BoxCount();
  for (const std::string& key : keys) {
    ExpectLookup("GetText", key, velt::GetText(key),
                 velt_fuzz::ModelGetText(current, fallback, key));
    ExpectLookup("GetTextLines", key, velt::GetTextLines(key),
                 velt_fuzz::ModelGetTextLines(current, fallback, key));
  }
  ExpectEqual("boxes after lookups that could read", BoxCount(), boxes);
}

// While reads fail or the current file is gone, every lookup gives "" after one
// box. While opens fail, the open current file still serves its own values
// and each fallback gives "" after one box.
void ExpectFailureRound(Failure failure,
                        const std::vector<std::string>& keys,
                        const LanguageFileModel& current) {
  for (const std::string& key : keys) {
    const bool own_value = failure == kOpensFail && !current.Value(key).empty();
    size_t boxes = BoxCount();
    ExpectLookup("GetText while failing", key, velt::GetText(key),
                 own_value ? current.Value(key) : std::string());
    ExpectEqual("boxes of GetText while failing", BoxCount(), boxes + (own_value ? 0 : 1));
    boxes = BoxCount();
    ExpectLookup("GetTextLines while failing", key, velt::GetTextLines(key),
                 own_value ? current.ValueLines(key) : std::string());
    ExpectEqual("boxes of GetTextLines while failing", BoxCount(), boxes + (own_value ? 0 : 1));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2)
    return 0;
  const uint8_t flags = data[0];
  const bool cyrillic = flags & 1;
  const bool current_is_default = flags & 2;
  const Failure failure = static_cast<Failure>((flags >> 2) & 3);
  const std::vector<std::string> parts =
      velt_fuzz::SplitAtNul(velt_fuzz::AsString(data + 2, size - 2));

  std::string filler;
  if ((flags & 0xF0) == 0xF0)
    filler = std::string(4096 - data[1] % 64 - 1, 'f') + "\n";
  const std::string current_text = filler + parts[0];
  const std::string second_text = filler + (parts.size() > 1 ? parts[1] : std::string());
  const std::string& default_text = current_is_default ? current_text : second_text;
  // The listed file that is neither current nor default, so that reading it shows.
  const std::string& decoy_text = current_is_default ? second_text : current_text;

  std::vector<std::string> keys;
  for (size_t i = 2; i < parts.size() && keys.size() < kMaxKeys; ++i)
    keys.push_back(parts[i]);
  AddHeaderKeys(parts[0], &keys);
  if (parts.size() > 1)
    AddHeaderKeys(parts[1], &keys);

  fake::ResetWorld();
  fake::World().lcid = cyrillic ? 1049 : 1033;
  velt::StartStartupSettings();
  velt::SetProgramNames();
  velt::StartLanguage();
  velt::ProductFolder = "C:\\Program Files\\Velt\\";

  const int32_t default_index = cyrillic ? kRussian : kEnglish;
  const int32_t current_index = current_is_default ? default_index : kOther;
  const std::string names[] = {"english.lng", "russian.lng", "other.lng"};
  for (int32_t index : {kEnglish, kRussian, kOther}) {
    const std::string& text = index == default_index   ? default_text
                              : index == current_index ? current_text
                                                       : decoy_text;
    fake::AddFile(kFolder + names[index], text);
  }
  velt::LanguageList = {names[kEnglish], names[kRussian], names[kOther]};
  velt::EnglishFileIndex = kEnglish;
  velt::RussianFileIndex = kRussian;

  const LanguageFileModel current(current_text);
  const LanguageFileModel fallback(default_text);

  // Selection reads the title and the language id through the same lookups.
  const bool selected = velt::SelectLanguageFile(current_index);
  ExpectEqual("current index", velt::LanguageFileIndex, current_index);
  ExpectEqual("ProgramTitle", velt::ProgramTitle,
              velt_fuzz::ModelGetText(current, fallback, "progname"));
  int32_t id = -1;
  const bool integer =
      velt::TextToInteger(velt_fuzz::ModelGetText(current, fallback, "langcode"), &id);
  ExpectEqual("SelectLanguageFile", selected, integer);
  ExpectEqual("LanguageId", velt::LanguageId, id);

  ExpectModel(keys, current, fallback);

  const std::string current_path = kFolder + names[current_index];
  switch (failure) {
    case kNoFailure:
      break;
    case kReadsFail:
      fake::World().failing = {"ReadFile"};
      break;
    case kOpensFail:
      fake::World().failing = {"OpenInFolder"};
      break;
    case kFileVanishes:
      fake::World().entries.erase(fake::NormalizePath(current_path));
      break;
  }
  if (failure != kNoFailure) {
    ExpectFailureRound(failure, keys, current);
    fake::World().failing.clear();
    if (failure == kFileVanishes)
      fake::AddFile(current_path, current_text);
    ExpectModel(keys, current, fallback);
  }

  velt::EndLanguage();
  velt::EndStartupSettings();
  ExpectEqual("handles left open", fake::OpenHandleCount(), 0);
  return 0;
}
