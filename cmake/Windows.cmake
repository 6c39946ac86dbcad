# The Windows build: the i686 product and, under Wine, the tests that run it.
# A file alignment equal to the page size lets the loader map the carried payload
# straight from the file instead of copying the whole image into private memory.
set(VELT_LINK_FLAGS -static -static-libgcc -static-libstdc++ -Wl,--dynamicbase -Wl,--nxcompat
  -Wl,--file-alignment=4096)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  list(APPEND VELT_LINK_FLAGS -Wl,--high-entropy-va)
endif()

# The platform's Win32 implementation, with the platform's shared code; what
# uses the core links it after the core.
file(GLOB VELT_WIN32_SOURCES CONFIGURE_DEPENDS platform/win32/*.cpp)
add_library(velt_platform_win32 STATIC ${VELT_WIN32_SOURCES} ${VELT_PLATFORM_COMMON_SOURCES})
target_compile_definitions(velt_platform_win32 PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
# user32 and shell32 are loaded on first use (platform/win32/system_library.h).
target_link_libraries(velt_platform_win32 PUBLIC advapi32)

include(cmake/ProductBuild.cmake)

# The product.
string(TOLOWER "${VELT_PACKAGE_STEM}" velt_rc_stem)
string(TOLOWER "${VELT_PACKAGE_EXTENSION}" velt_rc_extension)
math(EXPR velt_rc_primary "${VELT_PAYLOAD_LANGUAGE} & 0x3FF" OUTPUT_FORMAT HEXADECIMAL)
math(EXPR velt_rc_sub "${VELT_PAYLOAD_LANGUAGE} >> 10" OUTPUT_FORMAT HEXADECIMAL)
set(velt_rc_language "${velt_rc_primary}, ${velt_rc_sub}")
configure_file(driver/entry/velt_update.rc.in ${CMAKE_BINARY_DIR}/generated/velt_update.rc @ONLY)
add_executable(velt-update WIN32 driver/entry/velt_update_main.cpp
  driver/entry/runtime_throw_helpers.cpp driver/entry/string_instantiations.cpp
  ${CMAKE_BINARY_DIR}/generated/velt_update.rc)
set_source_files_properties(${CMAKE_BINARY_DIR}/generated/velt_update.rc PROPERTIES
  OBJECT_DEPENDS "${VELT_PAYLOAD_FILE};${VELT_PAYLOAD_CHECK_STAMP};${CMAKE_SOURCE_DIR}/driver/entry/velt_update.manifest;${VELT_ICON_FILE}")
target_link_libraries(velt-update PRIVATE velt_core velt_platform_win32)
target_compile_options(velt-update PRIVATE ${VELT_PRODUCT_COMPILE_OPTIONS})
target_link_options(velt-update PRIVATE ${VELT_LINK_FLAGS} ${VELT_PRODUCT_LINK_OPTIONS})

include(cmake/ProductChecks.cmake)

include(cmake/WineTests.cmake)
