# SPDX-License-Identifier: GPL-3.0-or-later
# stampwell_add_test(NAME SOURCES <files...> LIBS <targets...> [LABELS <labels...>] [TIMEOUT s]
#                    [COST c])
# One CTest test per test executable. Tests that start LibreOffice carry the label "office":
# they need the "office_docs" fixture (the conversion folder, see tests/CMakeLists.txt) and get
# its path in STAMPWELL_TEST_DOCS. Qt tests run on the offscreen platform so that no display is
# needed. COST: a rough run time in seconds, so that a parallel run starts the long ones first.
#
# STAMPWELL_TEST_LAUNCHER (a list, empty by default) is put before every test executable, e.g.
# -DSTAMPWELL_TEST_LAUNCHER="/usr/bin/time;-f;cpu %U user %S sys %e wall" prints the processor
# time each test program took (its office processes included) into its output.
set(STAMPWELL_TEST_LAUNCHER "" CACHE STRING "Command put before every test executable")
set(STAMPWELL_TEST_DOCS_DIR "${CMAKE_BINARY_DIR}/test-docs")

function(_stampwell_test_properties name)
  cmake_parse_arguments(T "" "TIMEOUT;COST" "LABELS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set(env "QT_QPA_PLATFORM=offscreen")
  if("office" IN_LIST T_LABELS)
    list(APPEND env "STAMPWELL_TEST_DOCS=${STAMPWELL_TEST_DOCS_DIR}")
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED office_docs)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT} ENVIRONMENT "${env}")
  if(T_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
  endif()
  if(T_COST)
    set_tests_properties(${name} PROPERTIES COST ${T_COST})
  endif()
endfunction()

function(stampwell_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT;COST" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${STAMPWELL_TEST_LAUNCHER} $<TARGET_FILE:${name}>)
  _stampwell_test_properties(${name} TIMEOUT "${T_TIMEOUT}" COST "${T_COST}" LABELS ${T_LABELS})
endfunction()

# Qt Test executables (for src/ui): no GoogleTest main.
function(stampwell_add_qt_test name)
  cmake_parse_arguments(T "" "TIMEOUT;COST" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} Qt6::Test)
  add_test(NAME ${name} COMMAND ${STAMPWELL_TEST_LAUNCHER} $<TARGET_FILE:${name}>)
  _stampwell_test_properties(${name} TIMEOUT "${T_TIMEOUT}" COST "${T_COST}" LABELS ${T_LABELS})
endfunction()

# stampwell_add_test_part(NAME PROGRAM <test executable> FILTER <gtest filter>
#                         [LABELS ...] [TIMEOUT s] [COST c])
# A further CTest test over part of a GoogleTest program's cases, so that the parts of a long
# program run side by side.
function(stampwell_add_test_part name)
  cmake_parse_arguments(T "" "PROGRAM;FILTER;TIMEOUT;COST" "LABELS" ${ARGN})
  add_test(NAME ${name}
    COMMAND ${STAMPWELL_TEST_LAUNCHER} $<TARGET_FILE:${T_PROGRAM}> --gtest_filter=${T_FILTER})
  _stampwell_test_properties(${name} TIMEOUT "${T_TIMEOUT}" COST "${T_COST}" LABELS ${T_LABELS})
endfunction()
