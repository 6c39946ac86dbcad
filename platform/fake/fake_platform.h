// The in-memory platform used by native unit tests. Every platform operation acts
// on one process-wide FakeWorld; tests arrange it, run the code, then inspect the
// records. Nothing here touches the real machine, and Sleep only advances a clock.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/fake/fake_faults.h"
#include "platform/fake/fake_tokens.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/restart_manager.h"
#include "platform/system.h"

namespace fake {

struct FakeValue {
  std::string name;  // as written
  uint32_t type = 0;
  std::string data;  // raw bytes; strings include their terminating NUL
};

struct FakeKey {
  std::map<std::string, FakeValue> values;  // by lowercase name
};

struct FakeEntry {
  std::string name;  // as listed (last path component, original case)
  bool directory = false;
  uint32_t attributes = 0;
  std::string data;
  // Another process holds the file open without sharing until the fake clock
  // reaches this time (ms); -1: not held. Opens, replacements and deletions fail
  // with a sharing violation while held.
  int64_t held_until_ms = -1;
  // The next this many renames over the entry fail with `rename_refusal`
  // (access denied, or a sharing violation) while opens succeed: another
  // process opened it just at those moments.
  int renames_refused = 0;
  uint32_t rename_refusal = platform::kErrorAccessDenied;
  // Another process keeps the file open for reading, sharing everything, with
  // an opportunistic lock whose break it never acknowledges. An open by name
  // (CreateFile) would wait for ever: it is counted in `oplock_waits` and
  // fails. OpenInFolder never waits: it conflicts only when it shares nothing.
  bool oplocked = false;
  uint64_t sequence = 0;  // creation order, used for directory listing order
  // Non-empty: the entry is a symbolic link to this normalized path. Opens by
  // name follow it; renames and deletions act on the link itself. Whether the
  // system reports it as a link is up to `attributes` (kAttrReparsePoint, as
  // Windows does; Wine shows a link to a file with the target's attributes).
  std::string link_target;
  // Non-zero: reads of the file from offset `read_error_from` on, or queries
  // of its attributes by name, fail with this error (a damaged disk, a denied
  // attribute read).
  uint32_t read_error = 0;
  uint64_t read_error_from = 0;
  uint32_t attributes_error = 0;
  // Names this file or folder whatever path reaches it; kept by renames.
  uint64_t id = 0;
  // The names the file has (AddHardLink); each name keeps its own copy of
  // the data, which the program never writes in place.
  uint32_t links = 1;
  // GetFileType: 1 a file on a disk, 2 a character device, 3 a pipe.
  uint32_t file_type = 1;
  // Reads never reach an end: every read fills the buffer with `data` over
  // and over ('x' when empty), as a device or a file that grows while read.
  bool endless = false;
  // Rights (platform/access.h; kFileReadData for reading) every ordinary,
  // unelevated token lacks on this entry, and those this process (and any
  // elevated token) lacks itself, as its access list says.
  uint32_t denied_to_user = 0;
  uint32_t denied_to_process = 0;
  // Rights the ordinary tokens of users other than kUserSid lack besides
  // (another user's files and folders).
  uint32_t denied_to_others = 0;
  // The owner's SID, as GetFileOwner gives it: Administrators for what an
  // installer or this elevated process makes.
  std::string owner = "S-1-5-32-544";
  // Another process is deleting the file: every open by name, for its
  // attributes too, fails (kErrorDeletePending), as while this process holds
  // it open marked for deletion.
  bool delete_pending = false;
  // A power loss keeps no data written since the file's last flush: while
  // `unflushed`, `flushed_data` is what would remain of it.
  bool unflushed = false;
  std::string flushed_data;
};

struct MessageBoxRecord {
  std::string text;
  std::string caption;
  uint32_t style = 0;
  uint16_t language = 0;
  bool extended = false;  // MessageBoxExA (true) or MessageBoxA (false)
};

struct PostRecord {
  void* window = nullptr;
  uint32_t message = 0;
  uintptr_t wparam = 0;
  intptr_t lparam = 0;
};

// A program started through the shell (ShellExecute, also when it fails) or,
// with `as_user`, with a token (CreateProcessWithToken, only when it succeeds:
// no verb or parameters).
struct LaunchRecord {
  std::string verb, file, parameters, directory;
  int show = 0;
  std::string current_directory;  // the process's current directory at the call
  bool as_user = false;
  std::string token;        // as_user: the token's name in FakeWorld::tokens
  std::string environment;  // as_user: the name of the token whose environment it got
};

struct ProcessRecord {
  std::string application;
  std::string command_line;
  std::string directory;  // the working directory asked for ("": the caller's)
  uint32_t creation_flags = 0;
  int show_window = 0;
  std::string current_directory;
  void* std_output = nullptr;  // the pipe end given as standard output, or null
  uint32_t exit_code = 0;      // what the process ends with (on_create_process may set it)
};

// An open handle of this process.
struct FakeHandle {
  enum Kind {
    kFile,
    kFind,
    kMapping,
    kProcess,
    kThread,
    kFolder,
    kExamine,
    kPipe,
    kMutex,
    kNamespace,
    kToken,
    kEvent,
    kEnvironment
  } kind = kFile;
  // Files and folders: the normalized path the handle really reaches (links
  // resolved); mappings and mutexes: the name; pipes: the pipe's id; tokens:
  // the token's name in FakeWorld::tokens (also for environment blocks: the
  // token's they were made of); processes: the program's normalized path.
  std::string path;
  bool write = false;
  bool share_read = false;
  bool share_delete = true;      // folders: false pins the folder
  bool can_delete = false;       // opened with kWriteDelete
  bool delete_on_close = false;  // SetDeleteOnClose
  bool inheritable = false;      // a child started with inheritance inherits it
  bool signalled = false;        // events
  uint32_t exit_code = 0;        // processes: every created process has ended
  uint64_t position = 0;
  uint64_t id = 0;  // files and folders: the id of the entry opened (0: a drive root)
  std::vector<platform::FindData> listing;  // finds: remaining entries
  size_t next = 0;
  std::vector<std::string> variables;  // environment blocks: "NAME=value"
};

struct FakeWorld {
  // Registry: keys by "|hkcu\\path" or "|hklm\\path" (lowercase, no trailing
  // backslash), as stored: the 64-bit view on 64-bit Windows. The program is a
  // 32-bit process, so on a 64-bit machine (native architecture AMD64 or IA64)
  // its opens of HKLM\\Software\\X without KEY_WOW64_64KEY, and every open with
  // KEY_WOW64_32KEY, reach HKLM\\Software\\WOW6432Node\\X, as WOW64 redirects
  // them. Keys below an open key stay in that key's tree.
  std::map<std::string, FakeKey> registry;
  bool registry_fails = false;  // every registry call fails with access denied
  // Every key open or create: the stored path reached and the access mask asked for.
  std::vector<std::pair<std::string, uint32_t>> registry_opens;

  // Files and folders by normalized path (lowercase, backslashes, absolute).
  std::map<std::string, FakeEntry> entries;
  std::string current_directory = "C:\\";
  uint64_t next_sequence = 1;
  // GetFinalPathNameByHandle works (false: a system before Windows Vista).
  bool final_path_supported = true;
  // Short (8.3) spellings: the normalized path with a short last name -> the
  // normalized path it names. Opens by either spelling reach the entry.
  std::map<std::string, std::string> short_names;
  // Drive letters (lowercase) whose type is remote: network drives.
  std::string remote_drives;
  // Normalized folders at and below which no drive letter reaches a file (a
  // volume without one, or one the mount manager does not know): their final
  // paths fail with kErrorPathNotFound.
  std::vector<std::string> no_final_path_below;
  // Free space shared by all writes: once used up, WriteFile reports success
  // with a short count, as on a full disk; -1: unlimited.
  int64_t disk_free_bytes = -1;
  // Opens by name of an oplocked file: each would have waited for ever.
  int oplock_waits = 0;
  // Operations that fail with access denied on every call while named here
  // (e.g. "CreateFile", "ReadFile", "WriteFile"); see also `faults`. With
  // "CloseHandle", closing a handle closes it and then fails, as a deferred
  // write error is reported.
  std::vector<std::string> failing;
  // Counts every call of a fallible operation and fails the planned one.
  FaultPlan faults;
  // Grows with every change of what outlives the process: files and folders,
  // their data and flushes, deletion marks, the registry.
  uint64_t revision = 0;
  // Called at every counted call before it acts, e.g. to change the world
  // between two steps of the code under test, or to take the state a process
  // ended there would leave.
  std::function<void(const std::string& operation)> on_call;
  uint32_t last_error = 0;

  // Message boxes: answers given in order (kIdOk for OK boxes when none left,
  // kIdNo for others), and every box shown.
  std::deque<int> box_answers;
  bool answer_questions_only = false;  // OK boxes leave `box_answers` alone
  std::vector<MessageBoxRecord> boxes;
  // Called while a box is shown (before it returns), e.g. to inspect state.
  std::function<void(const MessageBoxRecord&)> on_box;

  // Windows by class name (a post to any other fails), posts, launches,
  // created processes.
  std::map<std::string, void*> windows;
  std::vector<PostRecord> posts;
  std::vector<LaunchRecord> launches;
  std::vector<ProcessRecord> processes;
  // Runs "inside" a created process (e.g. writes its standard output with
  // WriteToPipe). Return false to make the creation fail.
  std::function<bool(ProcessRecord&)> on_create_process;
  // Programs of the system folder that are there without being among
  // `entries`; a program elsewhere must be a file to start.
  std::vector<std::string> system_programs = {"cmd.exe"};
  // Anonymous pipes by id: the bytes written and not yet read, and which ends
  // are open. A read of an empty pipe whose write end is still open would
  // block forever: it fails and sets `pipe_read_would_block`.
  struct Pipe {
    std::string data;
    bool write_end_open = true;
  };
  std::map<std::string, Pipe> pipes;
  uint64_t next_pipe = 1;
  bool pipe_read_would_block = false;
  std::string system_directory = "C:\\Windows\\system32";

  // This process's elevation and the desktop shell's process (0: no shell
  // window). By default the user's own shell runs, as on a Windows desktop.
  platform::Elevation process_elevation = platform::Elevation::kNone;
  uint32_t shell_process_id = 4000;
  // What CreateEnvironmentBlock gives a token of any user ("NAME=value"): the
  // variables of a logon, none of this process's `environment`.
  std::vector<std::string> logon_environment = {"USERPROFILE=C:\\Users\\Anna",
                                                "TEMP=C:\\Users\\Anna\\AppData\\Local\\Temp"};
  // The process that started this one (0: none known) and the other
  // processes by id: when each was created (GetProcessTimes' units, as this
  // process's `process_created`) and its token's name in `tokens` (empty: its
  // token cannot be opened).
  uint32_t parent_process_id = 1100;
  uint64_t process_created = 2000;
  struct OtherProcess {
    uint64_t created = 0;
    std::string token;
  };
  std::map<uint32_t, OtherProcess> other_processes = {{1100, {1000, "starter"}}};
  // The tokens (fake_tokens.h) and the session at the console (kNoSession: none).
  std::map<std::string, FakeToken> tokens = DefaultTokens();
  uint32_t console_session = 1;

  // Named mappings that exist (held by other processes), and mappings this
  // process holds open right now.
  std::vector<std::string> existing_mappings;
  std::map<std::string, int> open_mappings;
  bool mapping_creation_fails = false;

  // Named objects other processes made, by full name ("Global\\velt-update",
  // or "<prefix>\\<name>" in the administrators' private namespace). Mutexes
  // this process holds are its kMutex handles.
  struct NamedObject {
    bool mutex = true;               // false: another kind of object (an event)
    bool administrators_own = true;  // its owner is Administrators or SYSTEM
    bool refuses_access = false;     // its access list keeps this process out
  };
  std::map<std::string, NamedObject> named_objects;
  // The system offers private namespaces (Windows Vista and later, not Wine).
  bool private_namespaces = false;
  // This thread impersonates a token like this process's whose Administrators
  // group is for denying only: no administrator, and kept out of mutexes owned
  // by Administrators or SYSTEM (this process's guards among them), whose
  // access lists admit only those.
  bool thread_without_administrators = false;

  // Restart Manager: whether the system has one, the processes that use each
  // file (by normalized path) besides this one while it holds the file open,
  // and the sessions started and not yet ended (session id -> the normalized
  // paths registered in it).
  bool restart_manager_available = true;
  std::map<std::string, std::vector<platform::RmProcess>> file_users;
  std::map<uint32_t, std::vector<std::string>> rm_sessions;
  uint32_t next_rm_session = 1;

  // Time.
  int64_t now_ms = 0;
  std::vector<uint32_t> sleeps;
  bool has_performance_counter = true;
  int64_t performance_counter = 0x123456789ALL;  // at now_ms 0; it advances with now_ms
  int64_t performance_frequency = 10000000;      // counts a second
  uint32_t tick_count = 4242;

  // User, process and system.
  uint32_t lcid = 1033;
  bool is_admin = true;
  std::string command_line = "velt-update.exe";
  std::string module_file_name = "C:\\Temp\\velt-update.exe";
  uint32_t process_id = 1200;
  std::map<std::string, std::string> environment;  // by uppercase name
  bool version_ex_works = true;                    // extended record available
  bool version_plain_works = true;
  platform::OsVersionInfo version;
  bool has_native_system_info = true;
  uint16_t native_architecture = 0;
  uint16_t architecture = 0;
  std::map<int, int> system_metrics;
  // OemToChar: byte map applied to every byte (identity when absent).
  std::map<unsigned char, unsigned char> oem_to_ansi;

  // Resources by (uppercase name, uppercase type).
  std::map<std::pair<std::string, std::string>, std::string> resources;
  int loaded_resources = 0;  // loaded and not yet freed

  // Open handles by id, for leak checks (see OpenHandleCount).
  std::map<uintptr_t, FakeHandle> handles;
  uintptr_t next_handle = 0x100;
  std::map<uintptr_t, std::string> open_keys;     // registry keys: id -> "view|hkxx\\path"
  std::map<uintptr_t, uint32_t> open_key_access;  // id -> the access mask asked for
};

// The world every platform call acts on.
FakeWorld& World();
// Starts a fresh world (all defaults, nothing open).
void ResetWorld();

// Handles of each kind still open (kernel and find handles, registry keys).
int OpenHandleCount();
int OpenRegistryKeyCount();
bool IsFailing(const std::string& operation);
// The stored path ("|hklm\\software\\...") of `lowercase_path` ("hklm\\...") opened
// from a predefined root with `access`, after WOW64 redirection (see above).
std::string RedirectedRegistryPath(const std::string& lowercase_path, uint32_t access);

// Arranging the world. Paths may use any case; parents are created as needed.
void AddDirectory(const std::string& path, uint32_t attributes = 0);
void AddFile(const std::string& path, const std::string& data, uint32_t attributes = 0);
// A symbolic link at `path` to `target` (a file or a folder); `attributes` as
// the system reports the link (add kAttrReparsePoint for Windows' view).
void AddLink(const std::string& path, const std::string& target, uint32_t attributes);
// A hard link at `path` to the file `existing`: one more name of it, with its
// identity and data.
void AddHardLink(const std::string& path, const std::string& existing);
// `normalized` with every link on its way replaced by its target; the last
// component too when `follow_last`.
std::string ResolvePath(const std::string& normalized, bool follow_last);
// The entry at `path`, or null.
FakeEntry* FindEntry(const std::string& path);
// `normalized` spelled as the entries' names spell it, with an upper-case
// drive letter, as Windows reports a final path (a drive root as "C:").
std::string SpelledPath(const std::string& normalized);
// The contents of a file; empty when missing.
std::string FileData(const std::string& path);
// Every file (not folder) below `folder`, at any depth, as a normalized path
// relative to it ("language\\english.lng").
std::vector<std::string> FilesBelow(const std::string& folder);
bool Exists(const std::string& path);
// The normalized form of a path (absolute, lowercase), as used in `entries`.
std::string NormalizePath(const std::string& path);
// The same without lowercasing: absolute, backslashes, "." and ".." resolved,
// no trailing backslash (a drive root is "C:").
std::string FullPath(const std::string& path);

// Writes `data` into the pipe whose write end is `write_end` (a child's output).
void WriteToPipe(void* write_end, const std::string& data);

// Registry helpers. `key` is "HKCU\\..." or "HKLM\\..."; `view` "" is the key as
// stored (the 64-bit view), "wow64_32" the key a 32-bit program reaches by
// default on 64-bit Windows (HKLM\\Software\\X -> HKLM\\Software\\WOW6432Node\\X).
void SetRegString(const std::string& key,
                  const std::string& name,
                  const std::string& value,
                  const std::string& view = "");
void SetRegDword(const std::string& key,
                 const std::string& name,
                 uint32_t value,
                 const std::string& view = "");
void SetRegValue(const std::string& key,
                 const std::string& name,
                 uint32_t type,
                 const std::string& data,
                 const std::string& view = "");
void AddRegKey(const std::string& key, const std::string& view = "");
bool RegKeyExists(const std::string& key, const std::string& view = "");
// The value, or null.
const FakeValue* GetRegValue(const std::string& key,
                             const std::string& name,
                             const std::string& view = "");

}  // namespace fake
