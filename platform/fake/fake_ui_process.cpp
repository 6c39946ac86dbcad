// Fake message boxes, windows, mappings, the shell and processes.
#include "platform/errors.h"
#include "platform/fake/fake_platform.h"
#include "platform/process.h"
#include "platform/ui.h"

namespace platform {
namespace {

using fake::FakeHandle;
using fake::World;

int ShowBox(fake::MessageBoxRecord record) {
  World().boxes.push_back(record);
  if (World().on_box)
    World().on_box(record);
  if (!World().box_answers.empty()) {
    int answer = World().box_answers.front();
    World().box_answers.pop_front();
    return answer;
  }
  return (record.style & 0xF) == kMbYesNo ? kIdNo : kIdOk;
}

RawHandle NewHandle(FakeHandle::Kind kind, const std::string& path) {
  FakeHandle handle;
  handle.kind = kind;
  handle.path = path;
  uintptr_t id = World().next_handle;
  World().next_handle += 4;
  World().handles[id] = handle;
  return reinterpret_cast<RawHandle>(id);
}

}  // namespace

int MessageBox(const std::string& text, const std::string& caption, uint32_t style) {
  return ShowBox({text, caption, style, 0, false});
}

int MessageBoxEx(const std::string& text,
                 const std::string& caption,
                 uint32_t style,
                 uint16_t language) {
  return ShowBox({text, caption, style, language, true});
}

WindowHandle FindWindow(const std::string& class_name) {
  auto it = World().windows.find(class_name);
  return it == World().windows.end() ? nullptr : it->second;
}

bool PostMessage(WindowHandle window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  World().posts.push_back({window, message, wparam, lparam});
  return true;
}

ScopedHandle CreateFileMapping(const std::string& name, uint32_t, uint32_t* last_error) {
  auto& world = World();
  for (const auto& existing : world.existing_mappings) {
    if (existing == name) {
      *last_error = world.last_error = kErrorAlreadyExists;
      return ScopedHandle(NewHandle(FakeHandle::kMapping, name));
    }
  }
  if (world.mapping_creation_fails) {
    *last_error = world.last_error = kErrorAccessDenied;
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
  World().launches.push_back({verb, file, parameters, directory, show, World().current_directory});
  return 42;
}

bool CreateProcess(const std::string& command_line,
                   uint32_t creation_flags,
                   int show_window,
                   ProcessInfo* info) {
  fake::ProcessRecord record{command_line, creation_flags, show_window, World().current_directory};
  World().processes.push_back(record);
  if (World().on_create_process && !World().on_create_process(record)) {
    World().last_error = kErrorFileNotFound;
    return false;
  }
  info->process.Reset(NewHandle(FakeHandle::kProcess, ""));
  info->thread.Reset(NewHandle(FakeHandle::kThread, ""));
  return true;
}

uint32_t WaitForSingleObject(RawHandle handle, uint32_t) {
  auto it = World().handles.find(reinterpret_cast<uintptr_t>(handle));
  return it == World().handles.end() ? kWaitFailed : 0;
}

}  // namespace platform
