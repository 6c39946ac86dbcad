// The tokens of the fake world: whose they are, their session, elevation and
// integrity level, and their linked other half.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace fake {

inline const char kUserSid[] = "S-1-5-21-1004336348-1177238915-682003330-1001";
inline const char kSystemSid[] = "S-1-5-18";

struct FakeToken {
  std::string user = kUserSid;
  uint32_t session = 1;
  bool elevated = false;        // TokenElevationType Full, or TokenElevation
  uint32_t integrity = 0x2000;  // the label's RID: medium
  std::string linked;           // the name of its linked half; empty: none
};

// Tokens by name: "process" (this process's own), "shell" (the desktop shell
// process's), "console" (the user's logged on at the console, as
// WTSQueryUserToken gives it; missing: nobody is logged on), "starter" (the
// process's that started this one), and the linked halves they name. By
// default one user with ordinary rights in session 1.
inline std::map<std::string, FakeToken> DefaultTokens() {
  return {{"process", {}}, {"shell", {}}, {"console", {}}, {"starter", {}}};
}

}  // namespace fake
