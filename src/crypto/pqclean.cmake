# PQClean's portable ("clean") implementations of the schemes qelix offers,
# compiled into the static library `qelix_pqclean`.
#
# The sources are not kept in this repository. By default they come from the npm
# package that bundles PQClean: `npm pack` downloads its tarball, whose npm
# integrity hash is checked before anything is unpacked into the build tree.
# Setting QELIX_PQCLEAN_DIR to the root of an existing PQClean checkout (the
# folder holding common/, crypto_kem/ and crypto_sign/) skips the download.
#
# A source distribution carries the subset instead: while scikit-build-core
# configures for an sdist (SKBUILD_STATE=sdist), the verified files are copied to
# third_party/pqclean with PQClean's licence files, the integrity of the tarball
# they came from and a SHA-256 list of every file; a build from the unpacked sdist
# checks that list and needs neither npm nor a network.

set(QELIX_PQCLEAN_DIR "" CACHE PATH "Existing PQClean checkout to build from instead of fetching it with npm")

set(_pqclean_package "pqclean@0.8.1")
set(_pqclean_tarball "pqclean-0.8.1.tgz")
set(_pqclean_integrity
    "sha512-+5FtknAJdiNtVBiyLiKW3OnanhcqSWy44KCaZz1tELhalp5HfuIcxNsX9uS0t7ne2tEWc7NBd4GpiQBTGTIJBA==")

set(_pqclean_schemes
    crypto_kem/ml-kem-512/clean
    crypto_kem/ml-kem-768/clean
    crypto_kem/ml-kem-1024/clean
    crypto_sign/ml-dsa-65/clean
    crypto_sign/sphincs-shake-128f-simple/clean)

# _qelix_base64(<out> <hex>): standard base64 (with padding) of the bytes spelled by <hex>.
# npm states integrity as base64 while CMake hashes files to hex.
function(_qelix_base64 out hex)
  set(alphabet "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/")
  string(LENGTH "${hex}" hex_len)
  set(result "")
  set(pos 0)
  while(pos LESS hex_len)
    math(EXPR left "${hex_len} - ${pos}")
    if(left GREATER_EQUAL 6)
      set(take 6)
    else()
      set(take ${left})
    endif()
    string(SUBSTRING "${hex}" ${pos} ${take} chunk)
    # Pad a short final group with zero bytes; '=' replaces the unused output digits.
    if(take EQUAL 2)
      set(chunk "${chunk}0000")
      set(digits 2)
    elseif(take EQUAL 4)
      set(chunk "${chunk}00")
      set(digits 3)
    else()
      set(digits 4)
    endif()
    math(EXPR group "0x${chunk}")
    foreach(shift 18 12 6 0)
      if(digits GREATER 0)
        math(EXPR index "(${group} >> ${shift}) & 63")
        string(SUBSTRING "${alphabet}" ${index} 1 digit)
        string(APPEND result "${digit}")
        math(EXPR digits "${digits} - 1")
      else()
        string(APPEND result "=")
      endif()
    endforeach()
    math(EXPR pos "${pos} + ${take}")
  endwhile()
  set(${out} "${result}" PARENT_SCOPE)
endfunction()

# _qelix_fetch_pqclean(<out_root>): download, verify and unpack the tarball once per build tree.
function(_qelix_fetch_pqclean out_root)
  set(base "${CMAKE_BINARY_DIR}/_deps/pqclean")
  set(root "${base}/src/package/deps/PQClean")
  set(stamp "${base}/unpacked.stamp")
  # Trees unpacked before the licence texts were extracted are unpacked again.
  if(EXISTS "${stamp}" AND EXISTS "${base}/src/package/LICENSE")
    file(READ "${stamp}" stamped)
    if(stamped STREQUAL _pqclean_integrity)
      set(${out_root} "${root}" PARENT_SCOPE)
      return()
    endif()
  endif()

  find_program(QELIX_NPM npm)
  if(NOT QELIX_NPM)
    message(FATAL_ERROR "qelix needs npm to fetch PQClean (or set QELIX_PQCLEAN_DIR to a PQClean checkout)")
  endif()
  file(REMOVE_RECURSE "${base}")
  file(MAKE_DIRECTORY "${base}/download")
  message(STATUS "Fetching ${_pqclean_package} with npm pack")
  execute_process(
    COMMAND "${QELIX_NPM}" pack "${_pqclean_package}" --ignore-scripts --silent
    WORKING_DIRECTORY "${base}/download"
    RESULT_VARIABLE npm_result
    OUTPUT_VARIABLE npm_output
    ERROR_VARIABLE npm_error)
  set(tarball "${base}/download/${_pqclean_tarball}")
  if(NOT npm_result EQUAL 0 OR NOT EXISTS "${tarball}")
    message(FATAL_ERROR "npm pack ${_pqclean_package} failed (${npm_result}):\n${npm_output}${npm_error}")
  endif()

  file(SHA512 "${tarball}" digest)
  _qelix_base64(digest_b64 "${digest}")
  if(NOT "sha512-${digest_b64}" STREQUAL _pqclean_integrity)
    file(REMOVE "${tarball}")
    message(FATAL_ERROR "${_pqclean_tarball} failed its integrity check:\n"
                        "  expected ${_pqclean_integrity}\n  got      sha512-${digest_b64}")
  endif()

  set(patterns package/deps/PQClean/common/fips202.* package/deps/PQClean/common/randombytes.h
               package/deps/PQClean/common/compat.h package/LICENSE package/deps/PQClean/README.md)
  foreach(scheme IN LISTS _pqclean_schemes)
    list(APPEND patterns "package/deps/PQClean/${scheme}/*")
  endforeach()
  file(ARCHIVE_EXTRACT INPUT "${tarball}" DESTINATION "${base}/src" PATTERNS ${patterns})
  file(WRITE "${stamp}" "${_pqclean_integrity}")
  set(${out_root} "${root}" PARENT_SCOPE)
endfunction()

set(_pqclean_vendored "${PROJECT_SOURCE_DIR}/third_party/pqclean")

# _qelix_vendor_pqclean(<root>): copies the subset under <root> (a verified unpacked tarball)
# with its licence texts into third_party/pqclean, for the source distribution.
function(_qelix_vendor_pqclean root)
  file(REMOVE_RECURSE "${_pqclean_vendored}")
  file(COPY "${root}/common" "${root}/README.md" DESTINATION "${_pqclean_vendored}/PQClean")
  foreach(scheme IN LISTS _pqclean_schemes)
    get_filename_component(parent "${scheme}" DIRECTORY)
    file(COPY "${root}/${scheme}" DESTINATION "${_pqclean_vendored}/PQClean/${parent}")
  endforeach()
  # The npm package's own licence (MIT); each scheme folder keeps PQClean's LICENSE and
  # PQClean's README states the licences of common/.
  file(COPY "${root}/../../LICENSE" DESTINATION "${_pqclean_vendored}")
  file(WRITE "${_pqclean_vendored}/INTEGRITY" "${_pqclean_package} ${_pqclean_integrity}\n")
  file(GLOB_RECURSE files RELATIVE "${_pqclean_vendored}" "${_pqclean_vendored}/PQClean/*")
  list(SORT files)
  set(sums "")
  foreach(file IN LISTS files)
    file(SHA256 "${_pqclean_vendored}/${file}" digest)
    string(APPEND sums "${digest}  ${file}\n")
  endforeach()
  file(WRITE "${_pqclean_vendored}/SHA256SUMS" "${sums}")
endfunction()

# _qelix_check_vendored_pqclean(): fails unless third_party/pqclean was made from this
# tarball and every file still has the hash it was vendored with.
function(_qelix_check_vendored_pqclean)
  file(READ "${_pqclean_vendored}/INTEGRITY" stamped)
  if(NOT stamped STREQUAL "${_pqclean_package} ${_pqclean_integrity}\n")
    message(FATAL_ERROR "${_pqclean_vendored} holds another PQClean (${stamped}); remove it to fetch ${_pqclean_package}")
  endif()
  file(STRINGS "${_pqclean_vendored}/SHA256SUMS" lines)
  foreach(line IN LISTS lines)
    string(SUBSTRING "${line}" 0 64 want)
    string(SUBSTRING "${line}" 66 -1 file)
    file(SHA256 "${_pqclean_vendored}/${file}" digest)
    if(NOT digest STREQUAL want)
      message(FATAL_ERROR "${_pqclean_vendored}/${file} differs from the file vendored from ${_pqclean_package}")
    endif()
  endforeach()
endfunction()

if(QELIX_PQCLEAN_DIR)
  set(QELIX_PQCLEAN_ROOT "${QELIX_PQCLEAN_DIR}")
elseif(EXISTS "${_pqclean_vendored}/INTEGRITY" AND NOT SKBUILD_STATE STREQUAL "sdist")
  _qelix_check_vendored_pqclean()
  set(QELIX_PQCLEAN_ROOT "${_pqclean_vendored}/PQClean")
else()
  _qelix_fetch_pqclean(QELIX_PQCLEAN_ROOT)
  if(SKBUILD_STATE STREQUAL "sdist")
    _qelix_vendor_pqclean("${QELIX_PQCLEAN_ROOT}")
  endif()
endif()

set(_pqclean_sources "${QELIX_PQCLEAN_ROOT}/common/fips202.c")
foreach(scheme IN LISTS _pqclean_schemes)
  file(GLOB scheme_sources "${QELIX_PQCLEAN_ROOT}/${scheme}/*.c")
  if(NOT scheme_sources)
    message(FATAL_ERROR "PQClean at ${QELIX_PQCLEAN_ROOT} lacks ${scheme}")
  endif()
  list(APPEND _pqclean_sources ${scheme_sources})
endforeach()

# The randomness hook PQCLEAN_randombytes is defined by qelix_crypto, so
# common/randombytes.c is deliberately left out.
add_library(qelix_pqclean STATIC ${_pqclean_sources})
set_target_properties(qelix_pqclean PROPERTIES C_STANDARD 99 C_EXTENSIONS OFF C_VISIBILITY_PRESET hidden)
# Third-party code: its own CI keeps it warning-free with its own flags.
target_compile_options(qelix_pqclean PRIVATE -w)
# The randomness hook reports a failing OS source by throwing InternalFault; unwind
# tables let that exception pass through the C frames to the C++ caller.
target_compile_options(qelix_pqclean PRIVATE -fexceptions)
# Each scheme finds its private headers beside its sources; only common/ is shared.
target_include_directories(qelix_pqclean PRIVATE "${QELIX_PQCLEAN_ROOT}/common")
# Consumers include "crypto_kem/ml-kem-768/clean/api.h" and the like.
target_include_directories(qelix_pqclean INTERFACE "${QELIX_PQCLEAN_ROOT}")
