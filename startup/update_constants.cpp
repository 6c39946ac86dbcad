#include "startup/update_constants.h"

namespace velt {

std::string ContentKey;
std::string PackageFileName;
int32_t UpdateVersion = 0;
std::string UpdateVersionText;
std::string PackageExtension;

std::string ProductName;
std::string ProgramTitle;
std::string ProgramTitleEnglish;

void SetBuildConstants() {
  ContentKey = "flute";
  PackageFileName = "vtup.cok";
  UpdateVersion = VELT_UPDATE_VERSION;  // set by the build, checked against the payload
}

void SetProgramNames() {
  size_t dot = PackageFileName.rfind('.');
  PackageExtension = dot == std::string::npos ? std::string() : PackageFileName.substr(dot);
  UpdateVersionText = std::to_string(UpdateVersion);
  ProductName = "Velt";
  ProgramTitle = "Обновление программы \"Вельт\"";
  ProgramTitleEnglish = "Velt update";
}

}  // namespace velt
