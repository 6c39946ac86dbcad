# Checks of the built product, read back from velt-update.exe by the host tool
# velt-pe-inspect: PE shape, imports, manifest, icon, version information, size and
# the carried payload resource; and that a fresh build gives the same file.
# Run with ctest (label "product").
velt_add_host_tool(velt-pe-inspect
  tools/pe-inspect/pe_inspect_main.cpp tools/pe-inspect/pe_image.cpp
  tools/pe-inspect/icon_group.cpp tools/pe-inspect/version_info.cpp)
set(VELT_PE_INSPECT ${CMAKE_BINARY_DIR}/host/velt-pe-inspect)
# Building the product builds its checker, so a release build can run the checks.
add_dependencies(velt-update velt-pe-inspect)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(velt_machine amd64)
else()
  set(velt_machine i386)
endif()

set(velt_product $<TARGET_FILE:velt-update>)
add_test(NAME product.pe_shape COMMAND ${VELT_PE_INSPECT} shape ${velt_product} ${velt_machine})
add_test(NAME product.system_imports_only COMMAND ${VELT_PE_INSPECT} imports ${velt_product})
add_test(NAME product.manifest COMMAND ${VELT_PE_INSPECT} manifest ${velt_product})
# The data file's extension as the type, its stem as the name (cmake/ReleaseOptions.cmake),
# the payload's language, and the payload's bytes.
add_test(NAME product.payload_resource COMMAND ${VELT_PE_INSPECT} resource ${velt_product}
  ${VELT_PACKAGE_EXTENSION} ${VELT_PACKAGE_STEM} ${VELT_PAYLOAD_LANGUAGE} ${VELT_PAYLOAD_FILE})
# The self-check hashes in-process (XXH3-128): no crypto DLL or function imported.
add_test(NAME product.no_system_crypto COMMAND ${CMAKE_OBJDUMP} -p ${velt_product})
set_tests_properties(product.no_system_crypto PROPERTIES
  PASS_REGULAR_EXPRESSION "DLL Name: KERNEL32" FAIL_REGULAR_EXPRESSION "[Cc]rypt")
set_tests_properties(product.pe_shape product.system_imports_only product.manifest
  product.payload_resource product.no_system_crypto PROPERTIES LABELS product)

# Explorer's icon (16, 32 and 48 pixels) and version information, the version
# being the update's.
add_test(NAME product.icon COMMAND ${VELT_PE_INSPECT} icon ${velt_product} 16 32 48)
add_test(NAME product.version_resource COMMAND ${VELT_PE_INSPECT} version ${velt_product}
  ${VELT_PAYLOAD_VERSION} Velt Kolm)
# The bytes the program adds to its payload (prints them by section).
# A bound per toolchain, within 8 KiB of what it gives now with the sample
# (docs/releasing.md, "The product file"): 252,784 bytes from mingw-w64 GCC 12
# (Debian 12), 256,880 from GCC 14 (Debian 13), whose libstdc++ links more of
# std::string even with the product's own instantiation
# (driver/entry/string_instantiations.cpp). The sample fills its last resource
# page; another payload's padding to 4 KiB adds up to 4,095 bytes (the
# release-build test's about 1.1 KB), and each bound leaves room for it.
if(CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 13)
  set(VELT_MAX_OVERHEAD 264000)
else()
  set(VELT_MAX_OVERHEAD 260000)
endif()
add_test(NAME product.overhead COMMAND ${VELT_PE_INSPECT} overhead ${velt_product}
  ${VELT_PAYLOAD_FILE} ${VELT_MAX_OVERHEAD})
# A fresh build at another path gives the same bytes (about a minute).
add_test(NAME product.reproducible COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-reproducible-build.sh
  ${CMAKE_SOURCE_DIR} ${velt_product} ${CMAKE_TOOLCHAIN_FILE} ${CMAKE_BUILD_TYPE}
  ${VELT_PAYLOAD_FILE})
set_tests_properties(product.reproducible PROPERTIES TIMEOUT 900)
set_tests_properties(product.icon product.version_resource product.overhead
  product.reproducible PROPERTIES LABELS product)
