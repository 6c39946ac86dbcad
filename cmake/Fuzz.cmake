# Fuzz build (-DVELT_FUZZ=ON, clang only): the core over the in-memory fake
# platform, instrumented for libFuzzer and built with AddressSanitizer and
# UndefinedBehaviorSanitizer, and one fuzz target per tests/fuzz/*_fuzz.cpp
# (target name = file name). ctest runs every target once over its seed corpus.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "VELT_FUZZ needs clang (libFuzzer); use the fuzz preset")
endif()

# clang accepts no execution character set but UTF-8: here the built-in Russian
# texts stay UTF-8, which no fuzz target compares.
get_directory_property(velt_options COMPILE_OPTIONS)
list(REMOVE_ITEM velt_options -fexec-charset=CP1251)
set_directory_properties(PROPERTIES COMPILE_OPTIONS "${velt_options}")
get_target_property(velt_options velt_core COMPILE_OPTIONS)
list(REMOVE_ITEM velt_options -fexec-charset=CP1251)
set_target_properties(velt_core PROPERTIES COMPILE_OPTIONS "${velt_options}")

set(VELT_SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=undefined
  -fno-omit-frame-pointer)

file(GLOB VELT_FAKE_SOURCES CONFIGURE_DEPENDS platform/fake/*.cpp)
add_library(velt_platform_fake STATIC ${VELT_FAKE_SOURCES} ${VELT_PLATFORM_COMMON_SOURCES})
foreach(library velt_core velt_platform_fake)
  target_compile_options(${library} PRIVATE -fsanitize=fuzzer-no-link ${VELT_SANITIZERS})
endforeach()

file(GLOB VELT_FUZZ_SOURCES CONFIGURE_DEPENDS tests/fuzz/*_fuzz.cpp)
foreach(source IN LISTS VELT_FUZZ_SOURCES)
  get_filename_component(target ${source} NAME_WE)
  add_executable(${target} ${source})
  target_compile_options(${target} PRIVATE -fsanitize=fuzzer ${VELT_SANITIZERS})
  target_link_options(${target} PRIVATE -fsanitize=fuzzer ${VELT_SANITIZERS})
  target_link_libraries(${target} PRIVATE velt_core velt_platform_fake)
  # Seeds live in tests/fuzz/corpus/<target without _fuzz>/; run once each, read only.
  string(REGEX REPLACE "_fuzz$" "" corpus ${target})
  add_test(NAME fuzz_seeds_${corpus}
    COMMAND ${target} -runs=0 ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${corpus})
  set_tests_properties(fuzz_seeds_${corpus} PROPERTIES LABELS fuzz)
endforeach()
