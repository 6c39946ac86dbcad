// Faults the fake platform injects: every call of a fallible operation is
// counted, and the one a test plans fails in a way that fits the operation.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fake {

// Ways a call can fail; an operation lists those that fit it.
enum FaultKind : uint32_t {
  kFaultError = 1,             // a plain failure (ERROR_GEN_FAILURE)
  kFaultAccessDenied = 2,      // ERROR_ACCESS_DENIED
  kFaultSharingViolation = 4,  // ERROR_SHARING_VIOLATION
  kFaultShortWrite = 8,        // a write that reports success with a short count
  kFaultDiskFull = 16,         // ERROR_DISK_FULL
};
constexpr uint32_t kFaultsOfOpens = kFaultError | kFaultAccessDenied | kFaultSharingViolation;
constexpr uint32_t kFaultsOfWrites = kFaultError | kFaultShortWrite | kFaultDiskFull;
constexpr uint32_t kFaultsOfCalls = kFaultError | kFaultAccessDenied;

// One counted call: the operation, the kinds that fit it, and what it acts
// on: a normalized path, a stored registry path ("|hklm\\...", with
// ":<value name>" for values), a mutex, mapping, resource or window class
// name, "question: <text>" or "message: <text>" for a box; empty where
// nothing is named.
struct FaultCall {
  std::string operation;
  uint32_t fitting = 0;
  std::string subject;
};

struct FaultPlan {
  int64_t fail_call = -1;  // index of the call to fail; -1: none
  FaultKind kind = kFaultError;
  std::vector<FaultCall> calls;  // every fallible call so far, in order
  bool injected = false;         // the planned fault happened
};

// Counts one call of `operation` on `subject` and returns the kind to fail it
// with: the planned kind when this is the planned call and the kind fits,
// kFaultAccessDenied while the operation is listed in FakeWorld::failing, else
// 0. FakeWorld::on_call runs first, before the call takes effect.
uint32_t NextFault(const char* operation, uint32_t fitting, const std::string& subject = {});
// The error code a failure of `kind` sets.
uint32_t FaultError(uint32_t kind);

}  // namespace fake
