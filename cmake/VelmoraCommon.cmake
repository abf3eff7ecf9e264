# One place for the warnings and compile definitions every target shares.
add_library(velmora_common INTERFACE)
target_compile_options(velmora_common INTERFACE -Wall -Wextra)
target_compile_features(velmora_common INTERFACE cxx_std_17)

# RelWithDebInfo (scripts/build): line tables (-g1) give every backtrace, gdb's or a
# sanitizer's, its functions, files and lines, and cost the compiler a fifth less than full
# debug information; -DVELMORA_DEBUG_INFO=-g brings local variables back for the debugger.
# The sanitizer builds (scripts/sanitize) take -DVELMORA_OPTIMIZE=-O1.
set(VELMORA_OPTIMIZE -O2 CACHE STRING "Optimisation of RelWithDebInfo builds")
set(VELMORA_DEBUG_INFO -g1 CACHE STRING "Debug information of RelWithDebInfo builds")
foreach(lang C CXX)
  set(CMAKE_${lang}_FLAGS_RELWITHDEBINFO "${VELMORA_OPTIMIZE} ${VELMORA_DEBUG_INFO} -DNDEBUG")
endforeach()

# gold links our executables four times faster than the default ld (velmora: 0.4 s against
# 1.4 s), and the build links about seventy of them.
include(CheckLinkerFlag)
check_linker_flag(CXX -fuse-ld=gold VELMORA_HAVE_GOLD)
if(VELMORA_HAVE_GOLD)
  add_link_options(-fuse-ld=gold)
endif()

# Qt-only definitions: ovlib links velmora_common too but never sees Qt.
add_library(velmora_qt_common INTERFACE)
target_link_libraries(velmora_qt_common INTERFACE velmora_common)
target_compile_definitions(velmora_qt_common INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_CAST_TO_ASCII
  QT_NO_CAST_FROM_BYTEARRAY
  QT_USE_QSTRINGBUILDER
  QT_NO_KEYWORDS
  QT_NO_FOREACH
  QT_DEPRECATED_WARNINGS)

if(VELMORA_BUILD_FUZZ)
  # Coverage for every library the fuzz targets link; the targets add -fsanitize=fuzzer.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

if(VELMORA_SANITIZE)
  add_compile_options(-fsanitize=${VELMORA_SANITIZE} -fno-omit-frame-pointer)
  add_link_options(-fsanitize=${VELMORA_SANITIZE})
endif()

# velmora_add_qt_library(name SOURCES ... LIBS ...): a static library for one source folder.
function(velmora_add_qt_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES AUTOMOC ON AUTORCC ON)
  # Headers are included with their folder: #include "models/qovprojectdatamodel.h".
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  # The strict string rules hold for product code only; tests stay readable with literals.
  target_link_libraries(${name} PRIVATE velmora_qt_common PUBLIC velmora_common ${ARG_LIBS})
endfunction()

# velmora_add_test(tst_name SOURCES ... LIBS ... [GUI]): one Qt Test executable under CTest.
# Tests run headless unless GUI is given; GUI tests use the X display of the test run (Xvfb).
# They find the program and the simulator through VELMORA_BIN_DIR.
function(velmora_add_test name)
  cmake_parse_arguments(ARG "GUI" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES AUTOMOC ON AUTORCC ON
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/bin)
  target_link_libraries(${name} PRIVATE velmora_testsupport ${ARG_LIBS})
  target_compile_definitions(${name} PRIVATE
    VELMORA_BIN_DIR="${CMAKE_RUNTIME_OUTPUT_DIRECTORY}"
    VELMORA_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  add_test(NAME ${name} COMMAND ${name})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set(env "QTWEBENGINE_DISABLE_SANDBOX=1")
  if(NOT ARG_GUI)
    list(APPEND env "QT_QPA_PLATFORM=offscreen")
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT} ENVIRONMENT "${env}")
endfunction()
