#include "startup/update_constants.h"

#include "startup/release_facts.h"

namespace velt {

std::string ContentKey;
std::string PackageFileName;
int32_t UpdateVersion = 0;
std::string UpdateVersionText;

std::string ProductName;
std::string ProgramTitle;
std::string ProgramTitleEnglish;

void SetBuildConstants() {
  ContentKey = kContentKey;
  PackageFileName = kPackageFileName;
  UpdateVersion = kUpdateVersion;
}

void SetProgramNames() {
  UpdateVersionText = std::to_string(UpdateVersion);
  ProductName = "Velt";
  ProgramTitle = "Обновление программы \"Вельт\"";
  ProgramTitleEnglish = "Velt update";
}

}  // namespace velt
