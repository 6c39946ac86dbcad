// Fake mappings, the shell, processes, pipes and tokens (fake_tokens.h).
#include "platform/errors.h"
#include "platform/fake/fake_internal.h"
#include "platform/process.h"
#include "platform/system.h"

namespace fake {

void WriteToPipe(void* write_end, const std::string& data) {
  FakeHandle* end = LookupHandle(write_end, FakeHandle::kPipe);
  if (end && end->write)
    World().pipes[end->path].data += data;
}

bool ReadPipe(platform::RawHandle handle, void* buffer, uint32_t size, uint32_t* read) {
  FakeHandle* end = LookupHandle(handle, FakeHandle::kPipe);
  if (!end || end->write)
    return Fail(6);
  if (Faulted("ReadFile", kFaultsOfCalls, "pipe"))
    return false;
  FakeWorld::Pipe& pipe = World().pipes[end->path];
  if (pipe.data.empty()) {
    if (pipe.write_end_open)
      World().pipe_read_would_block = true;
    return Fail(109);  // ERROR_BROKEN_PIPE
  }
  const uint32_t count = static_cast<uint32_t>(std::min<size_t>(size, pipe.data.size()));
  pipe.data.copy(static_cast<char*>(buffer), count);
  pipe.data.erase(0, count);
  *read = count;
  return true;
}

void ClosePipeEnd(const FakeHandle& end) {
  auto pipe = World().pipes.find(end.path);
  if (pipe == World().pipes.end())
    return;
  if (end.write)
    pipe->second.write_end_open = false;
  else
    World().pipes.erase(pipe);
}

}  // namespace fake

namespace platform {
namespace {

using fake::Fail;
using fake::FakeHandle;
using fake::World;

RawHandle NewHandle(FakeHandle::Kind kind, const std::string& path, bool write = false) {
  FakeHandle handle;
  handle.kind = kind;
  handle.path = path;
  handle.write = write;
  return fake::NewHandle(handle);
}

// Whether `path` names a program: a file of the world, or one of the system
// folder's programs, by its full path or, as the shell finds them, by its name.
bool ProgramExists(const std::string& path) {
  const fake::FakeEntry* entry =
      fake::FindEntry(fake::ResolvePath(fake::NormalizePath(path), true));
  if (entry != nullptr && !entry->directory)
    return true;
  const std::string& system = World().system_directory;
  for (const std::string& name : World().system_programs) {
    if (!system.empty() &&
        (fake::NormalizePath(path) == fake::NormalizePath(system + "\\" + name) ||
         fake::NormalizePath(system + "\\" + path) == fake::NormalizePath(system + "\\" + name))) {
      return true;
    }
  }
  return false;
}

}  // namespace

ScopedHandle CreateFileMapping(const std::string& name, uint32_t, uint32_t* last_error) {
  auto& world = World();
  for (const auto& existing : world.existing_mappings) {
    if (existing == name) {
      *last_error = world.last_error = kErrorAlreadyExists;
      return ScopedHandle(NewHandle(FakeHandle::kMapping, name));
    }
  }
  if (world.mapping_creation_fails ||
      fake::Faulted("CreateFileMapping", fake::kFaultsOfCalls, name)) {
    *last_error = world.last_error =
        world.mapping_creation_fails ? kErrorAccessDenied : world.last_error;
    return ScopedHandle();
  }
  bool exists = world.open_mappings.count(name) != 0;
  world.open_mappings[name]++;
  *last_error = world.last_error = exists ? kErrorAlreadyExists : 0;
  return ScopedHandle(NewHandle(FakeHandle::kMapping, name));
}

intptr_t ShellExecute(const std::string& verb,
                      const std::string& file,
                      const std::string& parameters,
                      const std::string& directory,
                      int show) {
  World().launches.push_back(
      {verb, file, parameters, directory, show, World().current_directory, false, "", ""});
  if (fake::Faulted("ShellExecute", fake::kFaultsOfCalls, file) || !ProgramExists(file))
    return 2;  // SE_ERR_FNF: below 32 is failure
  return 42;
}

bool CreateOutputPipe(ScopedHandle* read_end, ScopedHandle* write_end) {
  if (fake::Faulted("CreateOutputPipe", fake::kFaultsOfCalls, "pipe"))
    return false;
  const std::string id = std::to_string(World().next_pipe++);
  World().pipes[id];
  read_end->Reset(NewHandle(FakeHandle::kPipe, id, false));
  write_end->Reset(NewHandle(FakeHandle::kPipe, id, true));
  fake::LookupHandle(write_end->Get(), FakeHandle::kPipe)->inheritable = true;
  return true;
}

bool CreateProcess(const std::string& application,
                   const std::string& command_line,
                   const std::string& directory,
                   uint32_t creation_flags,
                   int show_window,
                   RawHandle std_output,
                   ProcessInfo* info) {
  fake::ProcessRecord record{application,
                             command_line,
                             directory,
                             creation_flags,
                             show_window,
                             World().current_directory,
                             IsValidRawHandle(std_output) ? std_output : nullptr};
  World().processes.push_back(record);
  if (fake::Faulted("CreateProcess", fake::kFaultsOfCalls, application))
    return false;
  if (!ProgramExists(application) ||
      (World().on_create_process && !World().on_create_process(record)))
    return Fail(kErrorFileNotFound);
  info->process.Reset(NewHandle(FakeHandle::kProcess, fake::NormalizePath(application)));
  fake::LookupHandle(info->process.Get(), FakeHandle::kProcess)->exit_code = record.exit_code;
  info->thread.Reset(NewHandle(FakeHandle::kThread, ""));
  return true;
}

uint32_t WaitForSingleObject(RawHandle handle, uint32_t milliseconds) {
  auto it = World().handles.find(reinterpret_cast<uintptr_t>(handle));
  if (it == World().handles.end() || fake::Faulted("WaitForSingleObject", fake::kFaultError))
    return kWaitFailed;
  // Processes have ended; an event waits until it is signalled or the time is up.
  if (it->second.kind != FakeHandle::kEvent || it->second.signalled)
    return 0;
  if (milliseconds == kInfinite)
    return kWaitFailed;  // nothing would ever signal it
  World().now_ms += milliseconds;
  return 0x102;  // WAIT_TIMEOUT
}

Elevation GetProcessElevation() {
  return fake::Faulted("GetProcessElevation", fake::kFaultError) ? Elevation::kUnknown
                                                                 : World().process_elevation;
}

uint32_t GetShellProcessId() {
  return fake::Faulted("GetShellProcessId", fake::kFaultError) ? 0 : World().shell_process_id;
}

ScopedHandle OpenProcessTokenForLaunch(uint32_t process_id) {
  if (process_id == 0 || process_id != World().shell_process_id)
    return (Fail(87), ScopedHandle());  // ERROR_INVALID_PARAMETER
  if (fake::Faulted("OpenProcessTokenForLaunch", fake::kFaultsOfCalls))
    return ScopedHandle();
  return ScopedHandle(NewHandle(FakeHandle::kToken, "shell"));
}

ScopedEnvironmentBlock CreateEnvironmentBlock(RawHandle token) {
  FakeHandle* user = fake::LookupHandle(token, FakeHandle::kToken);
  if (!user)
    return (Fail(6), ScopedEnvironmentBlock());
  if (fake::Faulted("CreateEnvironmentBlock", fake::kFaultsOfCalls))
    return ScopedEnvironmentBlock();
  FakeHandle block;
  block.kind = FakeHandle::kEnvironment;
  block.path = user->path;
  block.variables = World().logon_environment;
  return ScopedEnvironmentBlock(fake::NewHandle(block));
}

bool DestroyEnvironmentBlock(RawHandle block) {
  if (!fake::LookupHandle(block, FakeHandle::kEnvironment))
    return Fail(6);
  World().handles.erase(reinterpret_cast<uintptr_t>(block));
  return true;
}

bool CreateProcessWithToken(RawHandle token,
                            const std::string& application,
                            const std::string& directory,
                            int show_window,
                            RawHandle environment) {
  FakeHandle* used = fake::LookupHandle(token, FakeHandle::kToken);
  FakeHandle* block = fake::LookupHandle(environment, FakeHandle::kEnvironment);
  if (!used || !block)
    return Fail(6);
  if (fake::Faulted("CreateProcessWithToken", fake::kFaultsOfCalls, application))
    return false;
  World().launches.push_back({"", application, "", directory, show_window,
                              World().current_directory, true, used->path, block->path});
  return true;
}

bool GetTokenFacts(RawHandle token, TokenFacts* facts) {
  FakeHandle* examined = fake::LookupHandle(token, FakeHandle::kToken);
  if (!examined)
    return Fail(6);
  if (fake::Faulted("GetTokenFacts", fake::kFaultsOfCalls))
    return false;
  auto found = World().tokens.find(examined->path);
  if (found == World().tokens.end())
    return Fail(6);
  const fake::FakeToken& known = found->second;
  *facts = {known.user, known.session, known.elevated, known.integrity};
  return true;
}

ScopedHandle OpenOwnToken() {
  if (fake::Faulted("OpenOwnToken", fake::kFaultsOfCalls))
    return ScopedHandle();
  return ScopedHandle(NewHandle(FakeHandle::kToken, "process"));
}

ScopedHandle GetLinkedToken(RawHandle token) {
  FakeHandle* split = fake::LookupHandle(token, FakeHandle::kToken);
  if (!split)
    return (Fail(6), ScopedHandle());
  if (fake::Faulted("GetLinkedToken", fake::kFaultsOfCalls))
    return ScopedHandle();
  auto found = World().tokens.find(split->path);
  if (found == World().tokens.end() || found->second.linked.empty())
    return (Fail(1312), ScopedHandle());  // ERROR_NO_SUCH_LOGON_SESSION
  return ScopedHandle(NewHandle(FakeHandle::kToken, found->second.linked));
}

uint32_t GetActiveConsoleSessionId() {
  return World().console_session;
}

ScopedHandle QueryUserToken(uint32_t session) {
  if (fake::Faulted("QueryUserToken", fake::kFaultsOfCalls))
    return ScopedHandle();
  if (World().tokens["process"].user != fake::kSystemSid)
    return (Fail(1314), ScopedHandle());  // ERROR_PRIVILEGE_NOT_HELD: only SYSTEM may
  if (session == kNoSession || session != World().console_session ||
      World().tokens.count("console") == 0) {
    return (Fail(1008), ScopedHandle());  // ERROR_NO_TOKEN: nobody is logged on there
  }
  return ScopedHandle(NewHandle(FakeHandle::kToken, "console"));
}

std::string GetSystemDirectory() {
  return fake::Faulted("GetSystemDirectory", fake::kFaultError) ? std::string()
                                                                : World().system_directory;
}

}  // namespace platform
