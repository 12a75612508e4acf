# The database beside the program is the user's: the build makes it only where there is
# none and never replaces or changes it (tools/mkdb). Tests, benchmarks and tools work on
# copies of an empty template the build writes beside it under another name.
set(KV7200_FDB ${CMAKE_BINARY_DIR}/bin/kv7200.FDB)
set(KV7200_TEMPLATE_FDB ${CMAKE_BINARY_DIR}/bin/kv7200-template.FDB)

# The folder tools/mkdb (the database tool, the template and the user's database), added
# once by whichever folder needs it first.
macro(kv_need_mkdb)
  if(NOT TARGET kv7200_template_fdb)
    add_subdirectory(${PROJECT_SOURCE_DIR}/tools/mkdb ${CMAKE_BINARY_DIR}/tools/mkdb)
  endif()
endmacro()

# kv_use_database_template(target): target copies the empty template (KV7200_TEMPLATE_FDB in
# its code) into a folder of its own; it never learns where the user's database is.
macro(kv_use_database_template target)
  kv_need_mkdb()
  add_dependencies(${target} kv7200_template_fdb)
  target_compile_definitions(${target} PRIVATE KV7200_TEMPLATE_FDB="${KV7200_TEMPLATE_FDB}")
endmacro()

# kv_library(name SOURCES... [DEPS targets...]): one library per source folder.
# Sources are every .cpp/.h of the folder, so adding a unit needs no edit here.
function(kv_library name)
  cmake_parse_arguments(KV "" "" "DEPS" ${ARGN})
  file(GLOB cpps CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  file(GLOB hdrs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(cpps)
    add_library(${name} STATIC ${cpps} ${hdrs})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${KV_DEPS})
  else()
    # Headers only (or nothing yet): still a target others can link.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${KV_DEPS})
  endif()
endfunction()

# kv_test(name [DEPS targets...]): one test program per library, run by ctest,
# with the shared main that brings up an offscreen QApplication.
function(kv_test name)
  cmake_parse_arguments(KV "" "" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(NOT srcs)
    return()
  endif()
  add_executable(${name} ${srcs})
  target_link_libraries(${name} PRIVATE kv_test_support ${KV_DEPS} GTest::gtest GTest::gmock)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 600)
endfunction()

# kv_root_only_test(program FILTER pattern): the program's tests that need root (they bind
# port 843, the port of every unit) leave its ctest entry for one of their own,
# <program>_as_root. That entry is reported as skipped (not as passed) when all of them
# skipped, as they do for another user; the test main prints each reason ("skipped: ...").
function(kv_root_only_test program)
  cmake_parse_arguments(KV "" "FILTER" "" ${ARGN})
  if(NOT TARGET ${program})
    return()
  endif()
  set_property(TEST ${program} APPEND PROPERTY ENVIRONMENT "GTEST_FILTER=-${KV_FILTER}")
  add_test(NAME ${program}_as_root COMMAND ${program} --gtest_filter=${KV_FILTER})
  set_tests_properties(${program}_as_root PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KV_ALL_SKIPPED_EXIT_CODE=77" SKIP_RETURN_CODE 77 TIMEOUT 600)
endfunction()

# kv_x11_test(program FILTER pattern): runs the named test program's matching tests once
# more on a real X server (xvfb-run), for what the offscreen platform cannot show: focus
# and activation, grabs, raising pop-ups, the X11 selection.
function(kv_x11_test program)
  cmake_parse_arguments(KV "" "FILTER" "" ${ARGN})
  find_program(KV_XVFB_RUN xvfb-run)
  if(NOT KV_XVFB_RUN OR NOT TARGET ${program})
    return()
  endif()
  # Several calls for one program each get a test of their own: _x11, _x11_2, ...
  set(name ${program}_x11)
  set(n 1)
  while(TEST ${name})
    math(EXPR n "${n} + 1")
    set(name ${program}_x11_${n})
  endwhile()
  add_test(NAME ${name}
           COMMAND ${KV_XVFB_RUN} -a -s "-screen 0 1280x1024x24" $<TARGET_FILE:${program}> --gtest_filter=${KV_FILTER})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=xcb" TIMEOUT 600)
endfunction()

# kv_bench(name sources... [DEPS targets...]): a Google Benchmark program, run by hand.
function(kv_bench name)
  cmake_parse_arguments(KV "" "" "DEPS" ${ARGN})
  # A narrowed build (KV_ONLY) leaves out benchmarks whose layers are not built.
  foreach(dep IN LISTS KV_DEPS)
    if(dep MATCHES "^kv_" AND NOT TARGET ${dep})
      return()
    endif()
  endforeach()
  add_executable(${name} ${KV_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${KV_DEPS} benchmark::benchmark)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
endfunction()

# kv_fuzz(name SOURCES files... LIBS targets... CORPUS dir [DICT file] [SECONDS n]): a
# libFuzzer program and a ctest test that runs it for a few seconds (default 5). libFuzzer
# comes with clang, so the sources are compiled by clang++ in a small build of their own
# (cmake/fuzz) and linked with the libraries as this build made them; LIBS lists every
# library needed, dependencies included. New inputs go to a corpus folder in the build
# tree; CORPUS holds the kept seeds. Left out without clang++, and under KV_SANITIZE,
# whose libraries carry g++'s sanitizer runtime.
function(kv_fuzz name)
  cmake_parse_arguments(KV "" "CORPUS;DICT;SECONDS" "SOURCES;LIBS" ${ARGN})
  find_program(KV_CLANGXX clang++)
  if(NOT KV_CLANGXX OR KV_SANITIZE)
    message(STATUS "${name} left out: it needs clang++ and a build without KV_SANITIZE")
    return()
  endif()
  foreach(lib IN LISTS KV_LIBS)
    if(NOT TARGET ${lib})
      return()
    endif()
  endforeach()
  set(libs "")
  set(built "")
  foreach(lib IN LISTS KV_LIBS)
    list(APPEND libs "$<TARGET_FILE:${lib}>")
    get_target_property(imported ${lib} IMPORTED)
    if(NOT imported)
      list(APPEND built ${lib})
    endif()
  endforeach()
  string(REPLACE ";" "|" sources "${KV_SOURCES}")
  string(REPLACE ";" "|" libs "${libs}")
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/${name}-build)
  include(ExternalProject)
  ExternalProject_Add(${name}
    SOURCE_DIR ${PROJECT_SOURCE_DIR}/cmake/fuzz
    BINARY_DIR ${dir}
    LIST_SEPARATOR |
    CMAKE_ARGS -DCMAKE_CXX_COMPILER=${KV_CLANGXX} -DCMAKE_BUILD_TYPE=RelWithDebInfo
               -DKV_SOURCE_DIR=${PROJECT_SOURCE_DIR} -DKV_FUZZ_NAME=${name}
               -DKV_FUZZ_SOURCES=${sources} -DKV_FUZZ_LIBS=${libs}
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    BUILD_BYPRODUCTS ${dir}/${name}
    DEPENDS ${built})
  if(NOT KV_SECONDS)
    set(KV_SECONDS 5)
  endif()
  set(work ${CMAKE_CURRENT_BINARY_DIR}/${name}-corpus)
  file(MAKE_DIRECTORY ${work})
  set(args -max_total_time=${KV_SECONDS} -max_len=1024 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1)
  if(KV_DICT)
    list(APPEND args -dict=${KV_DICT})
  endif()
  add_test(NAME ${name} COMMAND ${dir}/${name} ${args} ${work} ${KV_CORPUS})
  set_tests_properties(${name} PROPERTIES TIMEOUT 120 LABELS fuzz)
endfunction()
