# Helpers shared by every folder: the Wine runner and test registration.
find_program(KV_WINE NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(NOT KV_WINE)
  find_program(KV_WINE NAMES wine64 wine REQUIRED)
endif()
set(KV_WINE_ROOT ${CMAKE_BINARY_DIR}/wine)
set(KV_SCRIPTS ${CMAKE_SOURCE_DIR}/scripts)
configure_file(${CMAKE_SOURCE_DIR}/cmake/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)

# kv_add_test(NAME src... [DESKTOP] [PROGRAM_KEY] [SHARDS n] [LIBS lib...] [DEPENDS target...])
# One GoogleTest executable per area, registered as one CTest test (a Wine start costs time).
# DEPENDS names the programs and modules the tests load at run time, so they are built first.
# SHARDS n: a long program is registered as n tests NAME_1..NAME_n, each running its share of
# the tests (GoogleTest's sharding: every test runs in exactly one), so that each stays well
# inside the time limit on a busy machine.
# DESKTOP: the tests move the focus, activate windows, run timers against the clock or use the
# clipboard; the desktop, its focus and the clipboard are shared by every program under one
# Wine server, so no two such test programs share a server. They also start the program or run
# its windows, which write the program's own registry key (its temporary folder among others).
# PROGRAM_KEY: the modules under test read that key (the folder they make their files in), so
# they do not run while a DESKTOP program points it at a scratch folder it later removes: files
# made there would vanish between one step of a test and the next.
# Both kinds hold one of KV_TEST_DESKTOPS "desktops" that CTest hands out: desktop 0 is the
# headless prefix, desktop n its sibling headless-n, each with its own server, desktop and
# registry. Such programs mostly wait on windows and timers, so two run side by side even on two
# processors; the other test programs share desktop 0's prefix without holding it.
set(KV_TEST_DESKTOPS 2 CACHE STRING "Wine prefixes that the window test programs are spread over")
set(KV_DESKTOP_IDS)
math(EXPR last_desktop "${KV_TEST_DESKTOPS} - 1")
foreach(i RANGE 0 ${last_desktop})
  list(APPEND KV_DESKTOP_IDS "{\"id\":\"${i}\",\"slots\":1}")
endforeach()
list(JOIN KV_DESKTOP_IDS "," KV_DESKTOP_IDS)
file(WRITE ${CMAKE_BINARY_DIR}/test-resources.json
     "{\"version\":{\"major\":1,\"minor\":0},\"local\":[{\"desktops\":[${KV_DESKTOP_IDS}]}]}\n")
set(CTEST_RESOURCE_SPEC_FILE ${CMAKE_BINARY_DIR}/test-resources.json)

function(kv_add_test name)
  cmake_parse_arguments(KT "DESKTOP;PROGRAM_KEY" "SHARDS" "LIBS;DEPENDS" ${ARGN})
  add_executable(${name} ${KT_UNPARSED_ARGUMENTS})
  target_sources(${name} PRIVATE $<TARGET_OBJECTS:kvtestmain>)
  target_link_libraries(${name} PRIVATE GTest::gtest kvtestsupport ${KT_LIBS})
  if(KT_DEPENDS)
    add_dependencies(${name} ${KT_DEPENDS})
  endif()
  set(tests ${name})
  if(KT_SHARDS)
    set(tests)
    foreach(i RANGE 1 ${KT_SHARDS})
      math(EXPR index "${i} - 1")
      add_test(NAME ${name}_${i} COMMAND ${name} --gtest_brief=1)
      set_property(TEST ${name}_${i} APPEND PROPERTY ENVIRONMENT "GTEST_TOTAL_SHARDS=${KT_SHARDS};GTEST_SHARD_INDEX=${index}")
      list(APPEND tests ${name}_${i})
    endforeach()
  else()
    add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  endif()
  # The names kv_add_audio_test gives its properties to.
  set_property(GLOBAL PROPERTY KV_TESTS_OF_${name} ${tests})
  set_tests_properties(${tests} PROPERTIES TIMEOUT 300)
  if(KT_DESKTOP OR KT_PROGRAM_KEY)
    set_tests_properties(${tests} PROPERTIES RESOURCE_GROUPS "desktops:1")
  endif()
  # Holding the key, the test main clears the temporary folder a program left in it, before and
  # after its run: the value outlives the program, and other test programs would share that folder.
  if(KT_DESKTOP OR KT_PROGRAM_KEY)
    set_property(TEST ${tests} APPEND PROPERTY ENVIRONMENT "KV_OWNS_PROGRAM_KEY=1")
  endif()
endfunction()

# kv_add_audio_test(NAME src... [LIBS lib...] [DEPENDS target...])
# A test executable that needs sound devices: it runs in the audio Wine prefix against a
# private sound server (a null sink whose monitor is the default source) that CTest starts
# before and stops after the audio tests (scripts/pulse-null.sh). Audio tests run one at a
# time: they share the sink.
set(KV_PULSE_DIR ${CMAKE_BINARY_DIR}/pulse)
function(kv_add_audio_test name)
  kv_add_test(${name} ${ARGN})
  # One server for the whole run: if(TEST) sees only the current folder's tests, and a second
  # start in another folder would restart the server under a running audio test.
  get_property(server_added GLOBAL PROPERTY KV_SOUND_SERVER_ADDED)
  if(NOT server_added)
    set_property(GLOBAL PROPERTY KV_SOUND_SERVER_ADDED TRUE)
    add_test(NAME kv_sound_server_start COMMAND ${KV_SCRIPTS}/pulse-null.sh start ${KV_PULSE_DIR})
    set_tests_properties(kv_sound_server_start PROPERTIES FIXTURES_SETUP kv_sound_server)
    add_test(NAME kv_sound_server_stop COMMAND ${KV_SCRIPTS}/pulse-null.sh stop ${KV_PULSE_DIR})
    set_tests_properties(kv_sound_server_stop PROPERTIES FIXTURES_CLEANUP kv_sound_server)
  endif()
  # Real-time sound keeps time only on a machine that is not busy with other tests: each audio
  # test program runs alone.
  get_property(tests GLOBAL PROPERTY KV_TESTS_OF_${name})
  set_tests_properties(${tests} PROPERTIES FIXTURES_REQUIRED kv_sound_server RESOURCE_LOCK kv_sound_sink RUN_SERIAL TRUE
                                            RESOURCE_GROUPS "")
  set_property(TEST ${tests} APPEND PROPERTY ENVIRONMENT
    "KV_WINE_KIND=audio;PULSE_SERVER=unix:${KV_PULSE_DIR}/native;PULSE_LATENCY_MSEC=60")
endfunction()

# kv_add_module(NAME DEF src...): a DLL whose exports are fixed by a .def file.
function(kv_add_module name def)
  add_library(${name} SHARED ${ARGN} ${def})
  set_target_properties(${name} PROPERTIES OUTPUT_NAME ${name})
  target_link_options(${name} PRIVATE -Wl,--enable-stdcall-fixup)
endfunction()

# Adds every direct sub-folder of the current folder that holds a CMakeLists.txt, in name order.
function(kv_add_subfolders)
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(dir ${children})
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${dir} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
      add_subdirectory(${dir})
    endif()
  endforeach()
endfunction()

# kv_precompile_common_headers(DIR): gives every target under DIR made of at least four C++
# files a precompiled header of the Windows, COM and standard headers nearly every file here
# includes, and the test framework's for test programs.
set(KV_PCH_MIN_SOURCES 4)
function(kv_precompile_common_headers dir)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target ${targets})
    get_target_property(type ${target} TYPE)
    if(NOT type MATCHES "^(EXECUTABLE|SHARED_LIBRARY|STATIC_LIBRARY|OBJECT_LIBRARY|MODULE_LIBRARY)$")
      continue()
    endif()
    get_target_property(sources ${target} SOURCES)
    list(FILTER sources INCLUDE REGEX "\\.cpp$")
    list(LENGTH sources count)
    if(count LESS KV_PCH_MIN_SOURCES)
      continue()
    endif()
    # A file built with its own options (an instruction set) cannot use the target's header.
    get_target_property(source_dir ${target} SOURCE_DIR)
    foreach(source ${sources})
      if(NOT IS_ABSOLUTE ${source})
        set(source ${source_dir}/${source})
      endif()
      get_source_file_property(options ${source} DIRECTORY ${dir} COMPILE_OPTIONS)
      get_source_file_property(flags ${source} DIRECTORY ${dir} COMPILE_FLAGS)
      if(options OR flags)
        set_source_files_properties(${source} DIRECTORY ${dir} PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
      endif()
    endforeach()
    target_precompile_headers(${target} PRIVATE <windows.h> <ole2.h> <algorithm> <cstdint> <cstring>
                              <functional> <map> <memory> <string> <vector>)
    get_target_property(libs ${target} LINK_LIBRARIES)
    if(libs AND "GTest::gtest" IN_LIST libs)
      target_precompile_headers(${target} PRIVATE <gtest/gtest.h>)
    endif()
  endforeach()
  get_property(children DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(child ${children})
    kv_precompile_common_headers(${child})
  endforeach()
endfunction()
