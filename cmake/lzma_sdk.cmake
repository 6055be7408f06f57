# The LZMA SDK's C coder, compiled from the sources Debian's lzma-dev installs in /usr/include/lzma, as one
# single-threaded static library. Linux and Windows builds use the same code, so a distribution made on
# either is byte-identical.
#
# That folder also holds liblzma's own headers (base.h, filter.h, version.h, ...): it is put on the include
# path of this library and of the one source of ours that calls the SDK (tlx_use_lzma_sdk), never on a
# target's public path, so no other include can resolve into it. The SDK's Types.h includes windows.h on
# Windows; it stays inside that one source.
set(TLX_LZMA_SDK_DIR /usr/include/lzma CACHE PATH "Folder with the LZMA SDK C sources (Debian lzma-dev)")
foreach(sdk_file LzmaDec.c LzmaEnc.c LzFind.c LzmaDec.h LzmaEnc.h LzFind.h LzHash.h Types.h)
  if(NOT EXISTS ${TLX_LZMA_SDK_DIR}/${sdk_file})
    message(FATAL_ERROR "LZMA SDK file ${TLX_LZMA_SDK_DIR}/${sdk_file} missing: install Debian's lzma-dev")
  endif()
endforeach()

add_library(tlx_lzma_sdk STATIC
  ${TLX_LZMA_SDK_DIR}/LzmaDec.c ${TLX_LZMA_SDK_DIR}/LzmaEnc.c ${TLX_LZMA_SDK_DIR}/LzFind.c)
target_compile_definitions(tlx_lzma_sdk PRIVATE _7ZIP_ST)
target_include_directories(tlx_lzma_sdk PRIVATE ${TLX_LZMA_SDK_DIR})
# Third-party code: its own warnings are not ours to fix; always optimised (it is the hot loop of unpacking).
target_compile_options(tlx_lzma_sdk PRIVATE -w -O2)
set_target_properties(tlx_lzma_sdk PROPERTIES C_STANDARD 99)

# Lets `source` (a file of `target`) include the SDK headers by their bare names.
function(tlx_use_lzma_sdk target source)
  set_property(SOURCE ${source} TARGET_DIRECTORY ${target}
    APPEND PROPERTY INCLUDE_DIRECTORIES ${TLX_LZMA_SDK_DIR})
  set_property(SOURCE ${source} TARGET_DIRECTORY ${target}
    APPEND PROPERTY COMPILE_DEFINITIONS _7ZIP_ST)
  target_link_libraries(${target} PRIVATE tlx_lzma_sdk)
endfunction()
