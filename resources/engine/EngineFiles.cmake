# The embedded engine's files, taken from the installed Firebird packages at build
# time and carried inside the program (storage/fb_embedded writes them out at start).
#
# kv_embed_engine_files(target) adds to target a generated source that holds every file
# byte for byte (assembler .incbin) and the table kEngineResources of
# storage/fb_embedded.h that names them.

find_path(KV_FIREBIRD_ROOT firebird.msg
  PATHS /usr/lib/${CMAKE_LIBRARY_ARCHITECTURE}/firebird/3.0 /usr/lib/firebird/3.0 /opt/firebird
  NO_DEFAULT_PATH)
if(NOT KV_FIREBIRD_ROOT)
  message(FATAL_ERROR "Firebird 3 is not installed (firebird3.0-server-core, libfbclient2; see scripts/packages.txt)")
endif()

# resource name, file it is taken from
set(KV_ENGINE_RESOURCES
  so_fbclient    ${KV_FIREBIRD_ROOT}/lib/libfbclient.so.2
  so_engine12    ${KV_FIREBIRD_ROOT}/plugins/libEngine12.so
  so_fbtrace     ${KV_FIREBIRD_ROOT}/plugins/libfbtrace.so
  msg_firebird   ${KV_FIREBIRD_ROOT}/firebird.msg
  conf_firebird  ${CMAKE_CURRENT_LIST_DIR}/firebird.conf
  conf_databases ${CMAKE_CURRENT_LIST_DIR}/databases.conf
  conf_plugins   ${CMAKE_CURRENT_LIST_DIR}/plugins.conf
  so_ib_util     ${KV_FIREBIRD_ROOT}/lib/libib_util.so
  so_fbudf       ${KV_FIREBIRD_ROOT}/UDF/fbudf.so
  so_ib_udf      ${KV_FIREBIRD_ROOT}/UDF/ib_udf.so
  so_fbintl      ${KV_FIREBIRD_ROOT}/intl/libfbintl.so
  conf_fbintl    ${KV_FIREBIRD_ROOT}/intl/fbintl.conf)

function(kv_embed_engine_files target)
  set(asm "")
  set(decls "")
  set(rows "")
  set(files "")
  set(i 0)
  list(LENGTH KV_ENGINE_RESOURCES n)
  while(i LESS n)
    list(GET KV_ENGINE_RESOURCES ${i} name)
    math(EXPR j "${i} + 1")
    list(GET KV_ENGINE_RESOURCES ${j} file)
    get_filename_component(file "${file}" REALPATH)
    if(NOT EXISTS "${file}")
      message(FATAL_ERROR "Engine file for ${name} not found: ${file}")
    endif()
    list(APPEND files "${file}")
    string(APPEND asm
      "    \".balign 16\\n\"\n"
      "    \"kv_res_${name}:\\n\"\n"
      "    \".incbin \\\"${file}\\\"\\n\"\n"
      "    \"kv_res_${name}_end:\\n\"\n")
    string(APPEND decls "extern \"C\" const unsigned char kv_res_${name}[], kv_res_${name}_end[];\n")
    string(APPEND rows "    {\"${name}\", kv_res_${name}, kv_res_${name}_end},\n")
    math(EXPR i "${i} + 2")
  endwhile()

  set(out ${CMAKE_CURRENT_BINARY_DIR}/EngineResources.cpp)
  file(CONFIGURE OUTPUT ${out} CONTENT [=[
// Generated from resources/engine/EngineFiles.cmake: the engine files, byte for byte.
#include "storage/fb_embedded.h"

__asm__(
    ".pushsection .rodata.kv_engine_files,\"a\",@progbits\n"
@asm@
    ".popsection\n");

@decls@
namespace storage {

const TEmbeddedResource kEngineResources[] = {
@rows@};
const std::size_t kEngineResourceCount = sizeof kEngineResources / sizeof kEngineResources[0];

} // namespace storage
]=] @ONLY)
  target_sources(${target} PRIVATE ${out})
  set_source_files_properties(${out} PROPERTIES OBJECT_DEPENDS "${files}")
endfunction()
