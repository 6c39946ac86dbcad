// The session's side of the contract suite's Win32 world
// (win32_contract_session.cpp).
#pragma once

namespace velt::contract {

// Closes what the session's side made for a test: the answering of boxes,
// windows, kernel objects and the process whose token a test took.
void EndSessionObjects();

}  // namespace velt::contract
