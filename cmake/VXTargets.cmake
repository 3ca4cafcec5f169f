# Helpers so that each folder's CMakeLists.txt stays a few lines long.

add_library(vx_compile_options INTERFACE)
target_compile_options(vx_compile_options INTERFACE -Wall -Wextra -Wno-unused-parameter)
if(VX_WERROR)
  target_compile_options(vx_compile_options INTERFACE -Werror)
endif()
if(VX_SANITIZE)
  target_compile_options(vx_compile_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined
    # The null and alignment checks on every member access of the test code itself (GoogleTest
    # macros, fixtures) are two fifths of a test file's compile time and find nothing there: the
    # product libraries keep every check, and a null dereference still stops under ASan.
    $<$<BOOL:$<TARGET_PROPERTY:VX_TEST_CODE>>:-fno-sanitize=alignment,null>)
  target_link_options(vx_compile_options INTERFACE -fsanitize=address,undefined)
endif()

# vx_library(NAME DEPS a b c): a library from every .cpp in the calling folder.
# Headers are included by folder-relative path from the repository root: #include "os/foundation/Value.h";
# installed, the same paths sit under include/vorlix.
function(vx_library name)
  cmake_parse_arguments(ARG "" "" "DEPS;SOURCES" ${ARGN})
  if(ARG_SOURCES)
    set(srcs ${ARG_SOURCES})
  else()
    file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  endif()
  add_library(${name} STATIC ${srcs})
  target_include_directories(${name} PUBLIC $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/vorlix>)
  target_link_libraries(${name} PRIVATE vx_compile_options)
  # Our headers include each other's. An outside library's headers are included by sources only (and
  # by the few headers the package leaves out), so installed it is linked, never compiled against:
  # its include folders stay off a game's compile line. The package config finds the outside
  # libraries a component's targets list in VX_OUTSIDE_LINKS.
  foreach(dep IN LISTS ARG_DEPS)
    if(dep MATCHES "^vx_")
      target_link_libraries(${name} PUBLIC ${dep})
    else()
      target_link_libraries(${name} PUBLIC $<BUILD_INTERFACE:${dep}> INTERFACE $<INSTALL_INTERFACE:$<LINK_ONLY:${dep}>>)
      set_property(TARGET ${name} APPEND PROPERTY VX_OUTSIDE_LINKS ${dep})
    endif()
  endforeach()
endfunction()

# vx_test(NAME PREFIX p DEPS a b c [PCH header ...]): one gtest program from every .cpp in the
# calling folder, registered with CTest under the dotted prefix of the folder it tests. GoogleTest,
# the test fixture and the PCH headers (a folder's shared fixture) are parsed once per program:
# under the sanitizers they are most of a test file's compile time.
function(vx_test name)
  cmake_parse_arguments(ARG "" "PREFIX" "DEPS;PCH" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_executable(${name} ${srcs})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} vx_test_support GTest::gtest GTest::gmock vx_compile_options)
  set(pch <gtest/gtest.h> <functional> <memory> <string> <vector> ${PROJECT_SOURCE_DIR}/tests/support/Environment.h)
  foreach(header IN LISTS ARG_PCH)
    list(APPEND pch ${PROJECT_SOURCE_DIR}/${header})
  endforeach()
  target_precompile_headers(${name} PRIVATE ${pch})
  set_target_properties(${name} PROPERTIES VX_TEST_CODE ON)
  include(GoogleTest)
  gtest_discover_tests(${name} TEST_PREFIX "${ARG_PREFIX}" DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT 120)
endfunction()

# vx_bench(NAME DEPS a b c): one Google Benchmark program from one source.
function(vx_bench name source)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  if(TARGET benchmark::benchmark)
    add_executable(${name} ${source})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} benchmark::benchmark vx_compile_options)
  endif()
endfunction()
