// The texts the updater shows with the English test language files
// (tests/e2e/data/language/english.lng) and its built-in messages.
#pragma once

namespace velt::e2e {

constexpr char kQuestionCaption[] = "Velt update question";
constexpr char kInstallAskText[] = "Install the Velt live update:\r\nFlute sounds 11?";
constexpr char kDoneCaption[] = "Velt live update";
constexpr char kDoneText[] = "Done: Velt live update (Flute sounds 11).\r\n\r\nStart Velt now?";
constexpr char kOlderText[] =
    "The installed vtup.cok is newer than this update.\r\nReplace it anyway?";
constexpr char kLanguageCaption[] = "Velt test";
constexpr char kNoInstallationCaption[] = "Velt update";
constexpr char kNoInstallationText[] =
    "There's no Velt installed.\r\nPlease install the program first.";

}  // namespace velt::e2e
