# Windows-side tests, run under Wine through CMAKE_CROSSCOMPILING_EMULATOR
# (scripts/wine-run.sh) as 32-bit processes in a 64-bit prefix: the Win32
# layer's and the modules' Windows-side tests (platform/win32/tests,
# <module>/tests/win32), the end-to-end tests (tests/e2e) and the helper programs
# they drive (tools/win/<name>/).
#
# All Wine tests share one prefix and its registry, so they run serially and
# after the fixture that prepares the prefix.
#
# Proof that a GoogleTest binary really ran: a loader that gives up silently
# prints nothing, so its PASSED line is required; a filter that selects nothing
# or a failed test fails the entry.
set(VELT_GTEST_RAN "\\[  PASSED  \\] [1-9]")
set(VELT_GTEST_FAILED "\\[==========\\] 0 tests from;\\[  FAILED  \\]")

# GoogleTest from the distribution's sources: gtest only, static, built on demand.
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(VELT_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH
  "GoogleTest's sources, built with the cross compiler for the Windows-side tests")
add_subdirectory(${VELT_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

set(VELT_TOOLS_DIR ${CMAKE_BINARY_DIR}/tools)
set(VELT_WINE_PREFIX_FIXTURE velt_wine_prefix)

add_test(NAME wine_prefix_ready COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-prefix.sh)
set_tests_properties(wine_prefix_ready PROPERTIES
  FIXTURES_SETUP ${VELT_WINE_PREFIX_FIXTURE} LABELS "win;e2e" TIMEOUT 300)

# The helper programs: every tools/win/<name>/ becomes <name>.exe from its *.cpp;
# a file named WIN32_GUI in the folder makes it a GUI-subsystem program.
set(VELT_TOOL_TARGETS "")
file(GLOB VELT_TOOL_DIRS CONFIGURE_DEPENDS LIST_DIRECTORIES true tools/win/*)
foreach(tool_dir IN LISTS VELT_TOOL_DIRS)
  if(NOT IS_DIRECTORY ${tool_dir})
    continue()
  endif()
  get_filename_component(tool_name ${tool_dir} NAME)
  file(GLOB tool_sources CONFIGURE_DEPENDS ${tool_dir}/*.cpp ${tool_dir}/*.rc)
  if(NOT tool_sources)
    continue()
  endif()
  if(EXISTS ${tool_dir}/WIN32_GUI)
    add_executable(${tool_name} WIN32 ${tool_sources})
  else()
    add_executable(${tool_name} ${tool_sources})
  endif()
  target_link_libraries(${tool_name} PRIVATE velt_core velt_platform_win32)
  target_link_options(${tool_name} PRIVATE -static)
  target_compile_options(${tool_name} PRIVATE -pedantic-errors)  # as the test binaries below
  set_target_properties(${tool_name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${VELT_TOOLS_DIR})
  list(APPEND VELT_TOOL_TARGETS ${tool_name})
endforeach()

# The benchmark's baseline is mapped from its file as the product is (page-sized
# file alignment), so that their private memory compares.
target_link_options(copy-baseline PRIVATE -Wl,--file-alignment=4096)

# The product's own runtime throw helpers, in a program that provokes them.
if(TARGET runtime-error-probe)
  target_sources(runtime-error-probe PRIVATE driver/entry/runtime_throw_helpers.cpp)
  set_target_properties(runtime-error-probe PROPERTIES CXX_STANDARD 20)
endif()

# A DLL that marks its own loading, planted by the tests beside the updater
# under the names of system DLLs.
add_library(planted-dll SHARED tools/planted-dll/planted_dll.cpp)
set_target_properties(planted-dll PROPERTIES PREFIX "" OUTPUT_NAME planted
  RUNTIME_OUTPUT_DIRECTORY ${VELT_TOOLS_DIR})
target_link_options(planted-dll PRIVATE -static)
list(APPEND VELT_TOOL_TARGETS planted-dll)

# Paths the tests need, as Unix paths (under Wine, drive Z: is the Unix root).
function(velt_wine_test_definitions target)
  target_compile_definitions(${target} PRIVATE
    VELT_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    VELT_BINARY_DIR="${CMAKE_BINARY_DIR}"
    VELT_UPDATE_EXE="$<TARGET_FILE:velt-update>"
    VELT_TOOLS_DIR="${VELT_TOOLS_DIR}")
endfunction()

# Every ctest entry that runs a test binary records its filter ("*" for none) in
# <binary dir>/suites/<target>.filters; <target>.every_test_registered lists the
# tests compiled into the binary and fails on any test that no filter selects.
function(velt_record_wine_filter target filter)
  if(NOT filter)
    set(filter "*")
  endif()
  file(APPEND ${CMAKE_BINARY_DIR}/suites/${target}.filters "${filter}\n")
endfunction()

# velt_add_wine_test_run(NAME name TARGET target [FILTER gtest_filter]
#                        [ENVIRONMENT VAR=VALUE...] [LABELS label...] [TIMEOUT s])
# Registers one ctest test that runs the GoogleTest binary `target` under Wine
# with --gtest_filter=FILTER and the given environment (e.g. LANG=ru_RU.UTF-8).
# LABELS defaults to the target's label (win or e2e).
function(velt_add_wine_test_run)
  cmake_parse_arguments(RUN "" "NAME;TARGET;FILTER;TIMEOUT" "ENVIRONMENT;LABELS" ${ARGN})
  if(NOT RUN_NAME OR NOT RUN_TARGET)
    message(FATAL_ERROR "velt_add_wine_test_run needs NAME and TARGET")
  endif()
  set(args "")
  if(RUN_FILTER)
    list(APPEND args --gtest_filter=${RUN_FILTER})
  endif()
  if(NOT RUN_LABELS)
    get_target_property(RUN_LABELS ${RUN_TARGET} VELT_TEST_LABEL)
  endif()
  if(NOT RUN_TIMEOUT)
    set(RUN_TIMEOUT 300)
  endif()
  add_test(NAME ${RUN_NAME} COMMAND ${RUN_TARGET} ${args})
  velt_record_wine_filter(${RUN_TARGET} "${RUN_FILTER}")
  set_tests_properties(${RUN_NAME} PROPERTIES
    RUN_SERIAL TRUE
    FIXTURES_REQUIRED ${VELT_WINE_PREFIX_FIXTURE}
    LABELS "${RUN_LABELS}"
    TIMEOUT ${RUN_TIMEOUT}
    PASS_REGULAR_EXPRESSION "${VELT_GTEST_RAN}"
    FAIL_REGULAR_EXPRESSION "${VELT_GTEST_FAILED}")
  if(RUN_ENVIRONMENT)
    set_tests_properties(${RUN_NAME} PROPERTIES ENVIRONMENT "${RUN_ENVIRONMENT}")
  endif()
endfunction()

# One ctest test per GoogleTest suite in SUITES. The binary cannot be listed
# when configuring (it runs under Wine), so its suites are written out below;
# <target>.every_test_registered lists the binary's tests under Wine and fails
# on a test that no entry selects (a suite left off the list), and an entry
# whose suite has no test fails for running none (a suite renamed or gone).
function(velt_add_wine_suites target)
  foreach(suite IN LISTS ARGN)
    velt_add_wine_test_run(NAME ${target}.${suite} TARGET ${target} FILTER "${suite}.*:*/${suite}.*")
  endforeach()
endfunction()

# velt_add_wine_test_binary(target label SOURCES source... SUITES suite...)
function(velt_add_wine_test_binary target label)
  cmake_parse_arguments(BINARY "" "" "SOURCES;SUITES" ${ARGN})
  add_executable(${target} ${BINARY_SOURCES})
  file(WRITE ${CMAKE_BINARY_DIR}/suites/${target}.filters "")
  add_test(NAME ${target}.every_test_registered
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-suites-registered.sh $<TARGET_FILE:${target}>
      ${CMAKE_BINARY_DIR}/suites/${target}.filters)
  set_tests_properties(${target}.every_test_registered PROPERTIES
    FIXTURES_REQUIRED ${VELT_WINE_PREFIX_FIXTURE} LABELS "${label}" RUN_SERIAL TRUE TIMEOUT 300)
  target_link_libraries(${target} PRIVATE velt_core velt_platform_win32 gtest_main)
  target_link_options(${target} PRIVATE -static)
  # ISO C++ only, as errors: an unknown escape ("language\english.lng") fails the build.
  target_compile_options(${target} PRIVATE -pedantic-errors)
  set_target_properties(${target} PROPERTIES VELT_TEST_LABEL ${label})
  velt_wine_test_definitions(${target})
  velt_add_wine_suites(${target} ${BINARY_SUITES})
endfunction()

# With the contract suite (tests/contract) over Win32; over the fake it runs in
# the native unit tests.
file(GLOB VELT_WIN_TEST_SOURCES CONFIGURE_DEPENDS driver/tests/win32/*.cpp package/tests/win32/*.cpp
  startup/tests/win32/*.cpp sysinfo/tests/win32/*.cpp
  tests/contract/*.cpp tests/contract/win32/*.cpp tests/contract/win32/*.rc)
# Also in the native unit tests: xxHash's scalar path here, its SSE2 path there.
list(APPEND VELT_WIN_TEST_SOURCES package/tests/payload_checksum_test.cpp)
if(VELT_WIN_TEST_SOURCES)
  velt_add_wine_test_binary(velt_win_tests win SOURCES ${VELT_WIN_TEST_SOURCES} SUITES
    # The contract suite, one set per platform area.
    AccessContract FileHandlesContract FilesContract GuardContract InFolderContract
    LogTextContract PathsContract ProcessContract RegistryContract ResourcesContract
    RestartManagerContract SystemContract UiContract
    # The Win32 side of the modules.
    ConsoleCaptureWinTest DescribeWindowsWinTest PackageFilesTest PayloadChecksumTest
    RuntimeErrorTextTest UnusualVolumeTest)
  # The updater's own manifest, so that the suite runs elevated as the updater does.
  set_source_files_properties(tests/contract/win32/run_as_updater.rc PROPERTIES
    OBJECT_DEPENDS ${CMAKE_SOURCE_DIR}/driver/entry/velt_update.manifest)
  # Wine in Russian (SystemContract's Russian test skips itself in the entry above).
  velt_add_wine_test_run(NAME velt_win_tests.RussianLocaleEnvironment TARGET velt_win_tests
    FILTER "RussianLocaleEnvironment.*:SystemContract.*Russian*"
    ENVIRONMENT LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8)
  # The system-description tests start describe-windows.exe, the runtime-error
  # test runtime-error-probe.exe.
  add_dependencies(velt_win_tests describe-windows runtime-error-probe)
endif()

file(GLOB VELT_E2E_TEST_SOURCES CONFIGURE_DEPENDS tests/e2e/*.cpp tests/e2e/*.rc)
if(VELT_E2E_TEST_SOURCES)
  # The suites that need the machine prepared ("...Environment") and the
  # Russian ones have entries of their own below.
  velt_add_wine_test_binary(velt_e2e_tests e2e SOURCES ${VELT_E2E_TEST_SOURCES} SUITES
    ConsoleInterpreterE2eTest DeploymentE2eTest DeploymentRefusalE2eTest DllPlantingE2eTest
    HarnessE2eTest InstallationLookupE2eTest InteractiveUpdateE2eTest LaunchAsUserE2eTest
    LinkSafetyE2eTest ModestUpdateE2eTest PackageE2eTest RegistryViewE2eTest RobustnessE2eTest
    RunningVeltE2eTest SampleLanguageE2eTest SingleCopyE2eTest)
  add_dependencies(velt_e2e_tests velt-update ${VELT_TOOL_TARGETS})
  # Wine takes the locale from the environment it starts in, not from the
  # environment block a child gets, so the Russian runs start Wine in Russian.
  velt_add_wine_test_run(NAME velt_e2e_tests.RussianLocale TARGET velt_e2e_tests
    FILTER "*Russian*" ENVIRONMENT LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8)
endif()

# Tests that need the machine prepared around the test binary run through a
# script that prepares it, runs one "Environment" suite under Wine and cleans up.
# A suite that skips itself here means the preparation did not reach it.
# The entry's name is <binary>.<suite>; the script runs that suite.
function(velt_add_wine_script_test name script)
  add_test(NAME ${name} COMMAND ${CMAKE_SOURCE_DIR}/scripts/${script} ${ARGN})
  string(REGEX MATCH "^[^.]+" binary "${name}")
  string(REGEX REPLACE "^[^.]+\\." "" suite "${name}")
  velt_record_wine_filter(${binary} "${suite}.*")
  set_tests_properties(${name} PROPERTIES
    RUN_SERIAL TRUE
    FIXTURES_REQUIRED ${VELT_WINE_PREFIX_FIXTURE}
    LABELS "e2e"
    TIMEOUT 300
    SKIP_RETURN_CODE 77
    PASS_REGULAR_EXPRESSION "${VELT_GTEST_RAN}"
    # A suite that skips itself here means the preparation did not reach it.
    FAIL_REGULAR_EXPRESSION "${VELT_GTEST_FAILED};\\[  SKIPPED \\]")
endfunction()

if(TARGET velt_e2e_tests)
  # A small tmpfs as a Wine drive, filled until the package no longer fits.
  velt_add_wine_script_test(velt_e2e_tests.FullDiskEnvironment e2e-full-disk.sh
    $<TARGET_FILE:velt_e2e_tests>)
  # An Authenticode-signed copy of the product.
  velt_add_wine_script_test(velt_e2e_tests.SignedInstallerEnvironment e2e-signed-installer.sh
    $<TARGET_FILE:velt_e2e_tests> $<TARGET_FILE:velt-update>)
  # An installer built with every release option changed, and the values the
  # configuration refuses (one configuration each, a build: a few minutes).
  velt_add_wine_script_test(velt_e2e_tests.ReleaseBuildEnvironment e2e-release-build.sh
    $<TARGET_FILE:velt_e2e_tests> ${VELT_PAYLOAD_TOOL})
  set_tests_properties(velt_e2e_tests.ReleaseBuildEnvironment PROPERTIES TIMEOUT 900)
  # The message boxes drawn by Wine's X11 driver on a virtual X display, in
  # English and in Russian, in a prefix of their own (skipped when no display starts).
  velt_add_wine_script_test(velt_e2e_tests.RealDisplayEnvironment box-pictures.sh
    --binary $<TARGET_FILE:velt_e2e_tests>)
endif()

# The product killed at write calls of a silent update (strace), each kill
# followed by a normal run, in a prefix of its own; skipped with the reason
# where strace or 32-bit programs cannot run. It passes only by saying so.
add_test(NAME e2e.killed_at_write_calls
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/e2e-kill.sh $<TARGET_FILE:velt-update> ${VELT_PAYLOAD_TOOL})
set_tests_properties(e2e.killed_at_write_calls PROPERTIES
  RUN_SERIAL TRUE
  FIXTURES_REQUIRED ${VELT_WINE_PREFIX_FIXTURE}
  LABELS "e2e"
  TIMEOUT 900
  SKIP_RETURN_CODE 77
  PASS_REGULAR_EXPRESSION "e2e-kill: passed")
