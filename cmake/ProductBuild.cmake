# How the product velt-update.exe is compiled and linked: small, and the same
# bytes from the same sources and payload in any build folder. Included by
# cmake/Windows.cmake once velt_core and velt_platform_win32 exist.
#
# Sets VELT_PRODUCT_COMPILE_OPTIONS, VELT_PRODUCT_LINK_OPTIONS, VELT_ICON_FILE
# (the generated .ico) and VELT_COPYRIGHT_YEAR.

# Size: the product's code for size, each function and datum in its own section
# so that the linker can drop those nothing uses. (The linker keeps every
# .eh_frame, and with it every function of an object that has one; unused code
# of the runtime libraries mostly stays.) Build paths are written as "." so that
# nothing in the file depends on where the sources or the build folder are.
set(VELT_PRODUCT_COMPILE_OPTIONS -Os -ffunction-sections -fdata-sections
  -ffile-prefix-map=${CMAKE_SOURCE_DIR}=. -ffile-prefix-map=${CMAKE_BINARY_DIR}=.)
# The core and the Win32 layer are the product's code; the Windows-side tests run
# the very same objects.
target_compile_options(velt_core PRIVATE ${VELT_PRODUCT_COMPILE_OPTIONS})
target_compile_options(velt_platform_win32 PRIVATE ${VELT_PRODUCT_COMPILE_OPTIONS})
# Except the self-check's hash: XXH3 at -Os takes about 3 times as long over the
# payload (12 ms instead of 4 in the benchmark). -O2 with its fixed-count loops
# peeled is as fast as -O3 (2.1 ms for 18 MB under Wine, against 3.5 at plain
# -O2) in 8 KB of code instead of 12.
# Its SSE2 path (chosen at run time) is the one file compiled for SSE2.
set_source_files_properties(package/payload_checksum.cpp PROPERTIES COMPILE_OPTIONS
  "-O2;-fpeel-loops")
set_source_files_properties(package/payload_checksum_sse2.cpp PROPERTIES COMPILE_OPTIONS
  "-O2;-fpeel-loops;-msse2")

# -s: no symbol table or debug sections (those of the static runtime included).
# --no-insert-timestamp: the header's link time stays 0.
# std::terminate ends the program with abort() directly: libstdc++'s default
# handler only adds a message on stderr, which a GUI program has not, and it
# links the C++ demangler (46 KB).
set(velt_symbol_prefix "")
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(velt_symbol_prefix "_")  # 32-bit Windows symbols carry a leading underscore
endif()
set(VELT_PRODUCT_LINK_OPTIONS -s -Wl,--gc-sections -Wl,--no-insert-timestamp
  "-Wl,--defsym,${velt_symbol_prefix}_ZN9__gnu_cxx27__verbose_terminate_handlerEv=${velt_symbol_prefix}abort")

# The product runs on one thread, so it links the C++ runtime of the win32 thread
# model (found beside the -win32 compiler): the posix model's runtime pulls in
# winpthread (32 KB). The core's objects refer to no thread library themselves
# (should they come to, winpthread is linked again and product.overhead shows
# it). The Windows-side tests keep the posix runtime their test framework needs.
string(REGEX REPLACE "-posix$" "-win32" velt_win32_model_cxx "${CMAKE_CXX_COMPILER}")
if(NOT velt_win32_model_cxx STREQUAL CMAKE_CXX_COMPILER AND EXISTS "${velt_win32_model_cxx}")
  execute_process(COMMAND ${velt_win32_model_cxx} -print-libgcc-file-name
    OUTPUT_VARIABLE velt_win32_model_libgcc OUTPUT_STRIP_TRAILING_WHITESPACE)
  get_filename_component(velt_win32_model_runtime "${velt_win32_model_libgcc}" DIRECTORY)
  list(APPEND VELT_PRODUCT_LINK_OPTIONS -L${velt_win32_model_runtime})
endif()

# The icon, drawn by the host tool velt-icon (tools/icon).
velt_add_host_tool(velt-icon
  tools/icon/velt_icon_main.cpp tools/icon/icon_drawing.cpp tools/icon/ico_format.cpp)
set(VELT_ICON_FILE ${CMAKE_BINARY_DIR}/generated/velt_update.ico)
add_custom_command(OUTPUT ${VELT_ICON_FILE}
  COMMAND ${CMAKE_BINARY_DIR}/host/velt-icon ${VELT_ICON_FILE}
  DEPENDS ${CMAKE_BINARY_DIR}/host/velt-icon
  COMMENT "Drawing the installer's icon"
  VERBATIM)
add_custom_target(velt_icon ALL DEPENDS ${VELT_ICON_FILE})

# The copyright year of the version resource: SOURCE_DATE_EPOCH's when set,
# otherwise the last commit's, otherwise today's (UTC).
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  string(TIMESTAMP VELT_COPYRIGHT_YEAR "%Y" UTC)  # string(TIMESTAMP) honours it
else()
  execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC
      git -C ${CMAKE_SOURCE_DIR} log -1 --format=%cd --date=format-local:%Y
    OUTPUT_VARIABLE VELT_COPYRIGHT_YEAR OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE velt_git_result ERROR_QUIET)
  if(NOT velt_git_result EQUAL 0 OR NOT VELT_COPYRIGHT_YEAR MATCHES "^[0-9][0-9][0-9][0-9]$")
    string(TIMESTAMP VELT_COPYRIGHT_YEAR "%Y" UTC)
  endif()
endif()
