// Whose token Velt starts with, for each kind of token the updater and the
// window that claims to be the desktop's shell may have. Under Wine only the
// split, elevated updater is seen, and every token is labelled high
// integrity (launch_as_user_e2e_test.cpp); the kinds stated here as Windows
// reports them (integrity levels, other sessions, SYSTEM and the console's
// user, the built-in Administrator) only the fake can show.
#include <functional>

#include "driver/tests/deployment_fixture.h"

namespace velt_test {
namespace {

using platform::Elevation;

const char kCannotStart[] =
    "Velt could not be started with your own rights.\r\nPlease start it yourself.";
const char kAdministratorSid[] = "S-1-5-21-1004336348-1177238915-682003330-500";
const char kOtherUserSid[] = "S-1-5-21-1004336348-1177238915-682003330-1002";

fake::FakeToken Token(const std::string& user,
                      uint32_t session,
                      bool elevated,
                      uint32_t integrity,
                      const std::string& linked = "") {
  return {user, session, elevated, integrity, linked};
}

// The updater elevated by UAC: its full token and, linked, its medium half; the
// genuine desktop shell runs with such a medium token.
void ArrangeSplitUpdater() {
  auto& tokens = fake::World().tokens;
  tokens["process"] = Token(fake::kUserSid, 1, true, platform::kHighIntegrity, "process linked");
  tokens["process linked"] = Token(fake::kUserSid, 1, false, platform::kMediumIntegrity);
  tokens["shell"] = Token(fake::kUserSid, 1, false, platform::kMediumIntegrity);
  fake::World().process_elevation = Elevation::kSplit;
}

// The updater run as SYSTEM by a deployment tool, in session 0, with a window
// claiming to be the shell that must not matter.
void ArrangeSystemUpdater() {
  auto& tokens = fake::World().tokens;
  tokens["process"] = Token(fake::kSystemSid, 0, true, platform::kSystemIntegrity);
  tokens["shell"] = Token(fake::kSystemSid, 0, true, platform::kSystemIntegrity);
  tokens["console"] = Token(fake::kUserSid, 1, false, platform::kMediumIntegrity);
  fake::World().process_elevation = Elevation::kNone;  // TokenElevationTypeDefault
  fake::World().console_session = 1;
}

// The built-in Administrator (no split token) started by an administrator for
// the standard user at the screen, whose shell it finds.
void ArrangeBuiltInAdministrator() {
  auto& tokens = fake::World().tokens;
  tokens["process"] = Token(kAdministratorSid, 1, true, platform::kHighIntegrity);
  tokens["shell"] = Token(kOtherUserSid, 1, false, platform::kMediumIntegrity);
  fake::World().process_elevation = Elevation::kNone;
}

struct TokenCase {
  const char* kind;
  std::function<void()> arrange;
  // The token Velt starts with; "open": through the shell; "": nothing starts.
  const char* started_with;
  bool box;         // the "could not be started" box is shown
  const char* why;  // the log's reason when nothing starts
};

class LaunchTokenTest : public DeploymentTest {
 protected:
  void Check(const TokenCase& c) {
    SCOPED_TRACE(c.kind);
    ArrangeVeltInstallation(42);
    fake::AddDirectory("C:\\Logs");
    fake::World().shell_process_id = 1234;
    c.arrange();
    EXPECT_EQ(RunProgram(std::string("modest runapp /LOG=") + kLogPath), velt::kExitOk);
    const auto& launches = fake::World().launches;
    if (std::string(c.started_with).empty()) {
      EXPECT_TRUE(launches.empty());
    } else {
      ASSERT_EQ(launches.size(), 1u);
      EXPECT_EQ(launches[0].file, std::string(kVeltFolder) + "Velt.exe");
      EXPECT_EQ(launches[0].as_user ? launches[0].token : launches[0].verb, c.started_with);
      EXPECT_EQ(launches[0].environment, launches[0].as_user ? launches[0].token : "");
    }
    EXPECT_EQ(Boxes().size(), c.box ? 1u : 0u);
    if (c.box && !Boxes().empty()) {
      EXPECT_EQ(Boxes()[0].text, kCannotStart);
    }
    if (*c.why != '\0') {
      EXPECT_TRUE(Logged(std::string("Velt is not started: ") + c.why));
    }
    EXPECT_EQ(fake::OpenHandleCount(), 0);
  }
};

// An unelevated program of the user's may end the shell and register any
// window as the shell's, an elevated program's included: only a token that
// is not elevated, at most medium integrity and of the updater's session
// starts Velt.
TEST_F(LaunchTokenTest, TheShellsTokenIsCheckedBeforeVeltStartsWithIt) {
  const TokenCase cases[] = {
      {"the genuine shell", ArrangeSplitUpdater, "shell", false, ""},
      {"an elevated program's window as the shell",
       [] {
         ArrangeSplitUpdater();
         fake::World().tokens["shell"] = Token(fake::kUserSid, 1, true, platform::kHighIntegrity);
       },
       "", true, "the token for it is elevated"},
      {"a high-integrity unelevated program's window (UI access)",
       [] {
         ArrangeSplitUpdater();
         fake::World().tokens["shell"].integrity = platform::kHighIntegrity;
       },
       "", true, "the token for it is above medium integrity"},
      {"a service's window",
       [] {
         ArrangeSplitUpdater();
         fake::World().tokens["shell"] =
             Token(fake::kSystemSid, 1, false, platform::kSystemIntegrity);
       },
       "", true, "the token for it is above medium integrity"},
      {"another session's shell",
       [] {
         ArrangeSplitUpdater();
         fake::World().tokens["shell"].session = 2;
       },
       "", true, "the token for it belongs to another session"},
      {"the updater's own token cannot be examined",
       [] {
         ArrangeSplitUpdater();
         // From the launch on: the log, made first, checks that token too.
         fake::World().on_call = [](const std::string& operation) {
           if (operation == "OpenOwnToken" && fake::Exists(kLogPath))
             fake::World().failing = {"OpenOwnToken"};
         };
       },
       "", true, "the updater's own token cannot be examined"},
  };
  for (const TokenCase& c : cases)
    Check(c);
}

// Wine labels every token high integrity, both halves of the updater's split
// token included: there the level tells nothing and the checks stand on the
// elevation and the session. Windows labels the halves apart, so a
// high-integrity shell is refused there (above).
TEST_F(LaunchTokenTest, WhereBothHalvesShareOneLevelTheLevelIsNotCompared) {
  const auto wine = [] {
    ArrangeSplitUpdater();
    for (auto& [name, token] : fake::World().tokens)
      token.integrity = platform::kHighIntegrity;
  };
  const TokenCase cases[] = {
      {"Wine's genuine shell", wine, "shell", false, ""},
      {"Wine's elevated window as the shell",
       [&] {
         wine();
         fake::World().tokens["shell"].elevated = true;
       },
       "", true, "the token for it is elevated"},
  };
  for (const TokenCase& c : cases)
    Check(c);
}

// Run as SYSTEM (a deployment tool's system context), Velt starts as the user
// at the console, in that user's session, never as SYSTEM; with nobody there
// nothing starts and no box waits for nobody.
TEST_F(LaunchTokenTest, AsSystemVeltStartsAsTheConsolesUserOrNotAtAll) {
  const TokenCase cases[] = {
      {"a standard user at the console", ArrangeSystemUpdater, "console", false, ""},
      {"an administrator at the console: the linked, unelevated half",
       [] {
         ArrangeSystemUpdater();
         auto& tokens = fake::World().tokens;
         tokens["console"] = Token(fake::kUserSid, 1, true, platform::kHighIntegrity, "linked");
         tokens["linked"] = Token(fake::kUserSid, 1, false, platform::kMediumIntegrity);
       },
       "linked", false, ""},
      {"the built-in Administrator at the console (no split)",
       [] {
         ArrangeSystemUpdater();
         fake::World().tokens["console"] =
             Token(kAdministratorSid, 1, true, platform::kHighIntegrity);
       },
       "", true, "the token for it is elevated"},
      {"nobody logged on",
       [] {
         ArrangeSystemUpdater();
         fake::World().tokens.erase("console");
       },
       "", false, "nobody is logged on at the console"},
      {"no session at the console",
       [] {
         ArrangeSystemUpdater();
         fake::World().console_session = platform::kNoSession;
       },
       "", false, "no session is attached to the console"},
      {"the console's user token of another session",
       [] {
         ArrangeSystemUpdater();
         fake::World().tokens["console"].session = 2;
       },
       "", true, "the token for it belongs to another session"},
      {"LOCAL SERVICE, which may not ask for the user's token",
       [] {
         ArrangeSystemUpdater();
         fake::World().tokens["process"].user = "S-1-5-19";
       },
       "", false, "nobody is logged on at the console"},
      {"a virtual service account (NT SERVICE\\...), which may not ask either",
       [] {
         ArrangeSystemUpdater();
         fake::World().tokens["process"].user =
             "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
       },
       "", false, "nobody is logged on at the console"},
  };
  for (const TokenCase& c : cases)
    Check(c);
}

// With no split token the updater has its own user's rights, but that user
// need not be the one at the screen: the built-in Administrator started for a
// standard user starts Velt with the shell's (checked) token; the same user
// as the shell starts it through the shell. A token no shell serves is a
// service's: nothing starts, with a box only outside session 0.
TEST_F(LaunchTokenTest, WithoutASplitVeltStartsAsTheShellsUserWhenThatIsAnother) {
  const TokenCase cases[] = {
      {"the built-in Administrator, a standard user's shell", ArrangeBuiltInAdministrator, "shell",
       false, ""},
      {"the built-in Administrator, the same user's shell",
       [] {
         ArrangeBuiltInAdministrator();
         fake::World().tokens["shell"].user = kAdministratorSid;
       },
       "open", false, ""},
      {"the built-in Administrator, no shell",
       [] {
         ArrangeBuiltInAdministrator();
         fake::World().shell_process_id = 0;
       },
       "", true, "nobody is logged on at the console, or the token cannot be had"},
      {"a deployment tool's user in session 0, no shell",
       [] {
         ArrangeBuiltInAdministrator();
         fake::World().tokens["process"].session = 0;
         fake::World().shell_process_id = 0;
       },
       "", false, "nobody is logged on at the console, or the token cannot be had"},
      {"the built-in Administrator, another user's elevated window as the shell",
       [] {
         ArrangeBuiltInAdministrator();
         fake::World().tokens["shell"].elevated = true;
       },
       "", true, "the token for it is elevated"},
  };
  for (const TokenCase& c : cases)
    Check(c);
}

}  // namespace
}  // namespace velt_test
