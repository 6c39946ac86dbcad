#include "startup/update_constants.h"

#include "velt_build_constants.h"  // this release's options, from the build

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
  ContentKey = VELT_CONTENT_KEY;             // "flute" unless the release says otherwise
  PackageFileName = VELT_PACKAGE_FILE_NAME;  // "vtup.cok" unless the release says otherwise
  UpdateVersion = VELT_UPDATE_VERSION;       // checked against the payload by the build
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
