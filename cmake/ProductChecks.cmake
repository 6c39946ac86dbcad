# Checks of the built product, read back from velt-update.exe by the host tool
# velt-pe-inspect: PE shape, imports, manifest and the carried payload resource.
# Run with ctest (label "product").
velt_add_host_tool(velt-pe-inspect
  tools/pe-inspect/pe_inspect_main.cpp tools/pe-inspect/pe_image.cpp)
set(VELT_PE_INSPECT ${CMAKE_BINARY_DIR}/host/velt-pe-inspect)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(velt_machine amd64)
else()
  set(velt_machine i386)
endif()

set(velt_product $<TARGET_FILE:velt-update>)
add_test(NAME product.pe_shape COMMAND ${VELT_PE_INSPECT} shape ${velt_product} ${velt_machine})
add_test(NAME product.system_imports_only COMMAND ${VELT_PE_INSPECT} imports ${velt_product})
add_test(NAME product.manifest COMMAND ${VELT_PE_INSPECT} manifest ${velt_product})
# Resource type "COK", name "VTUP", language 1049 (Russian), equal to the payload.
add_test(NAME product.payload_resource COMMAND ${VELT_PE_INSPECT} resource ${velt_product}
  COK VTUP 1049 ${VELT_PAYLOAD_FILE})
# The self-check hashes in-process (XXH3-128): no crypto DLL or function imported.
add_test(NAME product.no_system_crypto COMMAND ${CMAKE_OBJDUMP} -p ${velt_product})
set_tests_properties(product.no_system_crypto PROPERTIES
  PASS_REGULAR_EXPRESSION "DLL Name: KERNEL32" FAIL_REGULAR_EXPRESSION "[Cc]rypt")
set_tests_properties(product.pe_shape product.system_imports_only product.manifest
  product.payload_resource product.no_system_crypto PROPERTIES LABELS product)
