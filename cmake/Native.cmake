# Native build: the core over the in-memory fake platform, with unit tests.
find_package(GTest REQUIRED)

# The platform's implementation over the in-memory fake, with the platform's
# shared code; what uses the core links it after the core.
file(GLOB VELT_FAKE_SOURCES CONFIGURE_DEPENDS platform/fake/*.cpp)
add_library(velt_platform_fake STATIC ${VELT_FAKE_SOURCES} ${VELT_PLATFORM_COMMON_SOURCES})

# The contract suite (tests/contract) runs here over the fake and in the
# Windows-side tests over Win32.
# Each module's tests stand beside it in <module>/tests/ (its Windows-side ones
# in <module>/tests/win32/, built by the win32 preset).
file(GLOB VELT_UNIT_TEST_SOURCES CONFIGURE_DEPENDS driver/tests/*.cpp package/tests/*.cpp
  language/tests/*.cpp startup/tests/*.cpp sysinfo/tests/*.cpp deployment/tests/*.cpp
  tools/payload/tests/*.cpp tests/contract/*.cpp tests/contract/fake/*.cpp)
# A developer may build a subset of the unit tests: -DVELT_UNIT_TEST_FILTER=regex.
set(VELT_UNIT_TEST_FILTER "" CACHE STRING "Regex selecting unit test sources (empty: all)")
if(VELT_UNIT_TEST_FILTER)
  list(FILTER VELT_UNIT_TEST_SOURCES INCLUDE REGEX "${VELT_UNIT_TEST_FILTER}")
endif()
add_executable(velt_unit_tests ${VELT_UNIT_TEST_SOURCES})
target_link_libraries(velt_unit_tests PRIVATE velt_core velt_platform_fake GTest::gtest_main)
# ISO C++ only, as errors: an unknown escape ("language\english.lng") fails the build.
target_compile_options(velt_unit_tests PRIVATE -pedantic-errors)
target_compile_definitions(velt_unit_tests PRIVATE
  VELT_SOURCE_DIR="${CMAKE_SOURCE_DIR}" VELT_BINARY_DIR="${CMAKE_BINARY_DIR}"
  VELT_PAYLOAD_FILE="${VELT_PAYLOAD_FILE}")
include(GoogleTest)
gtest_discover_tests(velt_unit_tests DISCOVERY_TIMEOUT 60 PROPERTIES LABELS unit)

# No include points up a layer (driver, package, language, sysinfo, startup, platform).
add_test(NAME layers.includes COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/check-layers.sh)
set_tests_properties(layers.includes PROPERTIES LABELS unit)

# The exit codes, winget and Intune tables (docs/deployment.md, the README) match deployment/exit_codes.h,
# and the end-to-end tests it names exist.
add_test(NAME readme.exit_codes COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/check-readme-exit-codes.sh)
set_tests_properties(readme.exit_codes PROPERTIES LABELS unit)
# The README's and the docs/ pages' links lead to files.
add_test(NAME readme.links COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/check-doc-links.sh)
set_tests_properties(readme.links PROPERTIES LABELS unit)
