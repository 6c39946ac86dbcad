# xxHash, used header-only for the payload's XXH3-128 (package/payload_checksum.cpp).
# The header of Debian's libxxhash-dev is copied into the build's generated
# folder at configure time: the MinGW compilers never search /usr/include, and
# the product and the host tool velt-payload then read the same copy.
# XXH3's output is frozen since xxHash 0.8.0.
set(VELT_XXHASH_HEADER /usr/include/xxhash.h CACHE FILEPATH
  "xxhash.h of xxHash 0.8.0 or later (Debian: libxxhash-dev)")
if(NOT EXISTS ${VELT_XXHASH_HEADER})
  message(FATAL_ERROR "${VELT_XXHASH_HEADER} is missing: install libxxhash-dev "
    "(scripts/install-deps.sh) or set VELT_XXHASH_HEADER")
endif()
file(STRINGS ${VELT_XXHASH_HEADER} velt_xxhash_version
  REGEX "^#define XXH_VERSION_(MAJOR|MINOR) +[0-9]+")
string(REGEX REPLACE ".*MAJOR +([0-9]+).*MINOR +([0-9]+).*" "\\1.\\2" velt_xxhash_version
  "${velt_xxhash_version}")
if(NOT velt_xxhash_version MATCHES "^[0-9]+\\.[0-9]+$" OR velt_xxhash_version VERSION_LESS 0.8)
  message(FATAL_ERROR "${VELT_XXHASH_HEADER} is xxHash '${velt_xxhash_version}'; "
    "XXH3-128 needs 0.8.0 or later")
endif()
configure_file(${VELT_XXHASH_HEADER} ${CMAKE_BINARY_DIR}/generated/xxhash.h COPYONLY)
