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

# kv_x11_test(program FILTER pattern): runs the named test program's matching tests once
# more on a real X server (xvfb-run), for what the offscreen platform cannot show: focus
# and activation, grabs, raising pop-ups, the X11 selection.
function(kv_x11_test program)
  cmake_parse_arguments(KV "" "FILTER" "" ${ARGN})
  find_program(KV_XVFB_RUN xvfb-run)
  if(NOT KV_XVFB_RUN OR NOT TARGET ${program})
    return()
  endif()
  add_test(NAME ${program}_x11
           COMMAND ${KV_XVFB_RUN} -a -s "-screen 0 1280x1024x24" $<TARGET_FILE:${program}> --gtest_filter=${KV_FILTER})
  set_tests_properties(${program}_x11 PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=xcb" TIMEOUT 600)
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
