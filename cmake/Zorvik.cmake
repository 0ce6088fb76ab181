# Build rules shared by every folder of the project.
#
#   zv_pure_library(name sources...)   code without windows.h; built in both trees
#   zv_win_library(name sources...)    Win32 code; built only in the Windows tree
#   zv_unit_test(name SOURCES ... LIBS ... [ENV VAR=value ...] [WINDOW] [WINDOWS_ONLY] [NATIVE_ONLY]
#                [WRAPPER script])
#       a doctest executable registered with CTest; in the Windows tree it runs under
#       Wine through the emulator script. WINDOW marks tests that create the main window:
#       every main window of one Wine server sees the others (single-instance mutex,
#       FindWindow on the class name, the clipboard), so each such test takes a lane of
#       its own for its run, a Wine server and display that scripts/run-tests.sh prepares
#       (ctest's resource "winelane"); without lanes they take turns on the one server.
#   zv_fuzz_target(name SOURCES ... LIBS ... [SECONDS n])
#       a libFuzzer target (native clang tree only), run by CTest for a bounded time.
#   zv_bench(name sources... LIBS ...)  a benchmark program; built, never run by CTest.

set(ZV_ROOT ${CMAKE_CURRENT_LIST_DIR}/..)
get_filename_component(ZV_ROOT ${ZV_ROOT} ABSOLUTE)

set(ZV_FUZZ OFF)
# A native tree without the sanitizers (-DZV_SANITIZE=OFF) is for the benchmarks only.
option(ZV_SANITIZE "Native tree: AddressSanitizer, UBSan and the fuzz targets" ON)
if(ZV_NATIVE AND NOT ZV_SANITIZE)
  if(NOT CMAKE_BUILD_TYPE)
    set(CMAKE_BUILD_TYPE Release)
  endif()
elseif(ZV_NATIVE)
  if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    set(ZV_FUZZ ON)
    set(zv_san "-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer")
    # Coverage instrumentation everywhere, so that the fuzz targets see inside the libraries.
    set(CMAKE_C_FLAGS "${CMAKE_C_FLAGS} ${zv_san} -fsanitize=fuzzer-no-link")
    set(CMAKE_CXX_FLAGS "${CMAKE_CXX_FLAGS} ${zv_san} -fsanitize=fuzzer-no-link")
  else()
    set(CMAKE_C_FLAGS "${CMAKE_C_FLAGS} -fsanitize=address,undefined -fno-omit-frame-pointer")
    set(CMAKE_CXX_FLAGS "${CMAKE_CXX_FLAGS} -fsanitize=address,undefined -fno-omit-frame-pointer")
  endif()
  if(NOT CMAKE_BUILD_TYPE)
    set(CMAKE_BUILD_TYPE RelWithDebInfo)
  endif()
else()
  if(NOT CMAKE_BUILD_TYPE)
    set(CMAKE_BUILD_TYPE Release)
  endif()
  add_compile_definitions(_WIN32_WINNT=0x0501 WINVER=0x0501 _WIN32_IE=0x0501 STRICT)
  add_compile_options(-Wall -Wno-unused-parameter)
  # A self-contained XP executable: no runtime DLLs beside it, PE subsystem and OS version 5.01.
  set(ZV_WIN_LINK -static -static-libgcc -static-libstdc++
      -Wl,--major-subsystem-version,5,--minor-subsystem-version,1
      -Wl,--major-os-version,5,--minor-os-version,1)
  set(ZV_WIN_SYSLIBS comctl32 comdlg32 shell32 advapi32 ole32 gdi32 user32 kernel32)

  # Tests run under Wine in a private prefix kept in the build folder: 32-bit, or 64-bit
  # for the 64-bit test build of a machine that runs no 32-bit processes.
  set(ZV_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    set(ZV_WINE /usr/lib/wine/wine64)
    set(ZV_WINEARCH win64)
  else()
    set(ZV_WINE wine)
    set(ZV_WINEARCH win32)
  endif()
  configure_file(${ZV_ROOT}/scripts/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                  WORLD_READ WORLD_EXECUTE @ONLY)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)
endif()

# Boost.Regex header-only: only the boost folder goes on the cross compiler's path,
# never the whole host include folder.
set(ZV_BOOST_INCLUDE ${CMAKE_BINARY_DIR}/boost-include)
if(EXISTS /usr/include/boost AND NOT EXISTS ${ZV_BOOST_INCLUDE}/boost)
  file(MAKE_DIRECTORY ${ZV_BOOST_INCLUDE})
  file(CREATE_LINK /usr/include/boost ${ZV_BOOST_INCLUDE}/boost SYMBOLIC)
endif()

add_library(zv_doctest INTERFACE)
target_compile_definitions(zv_doctest INTERFACE DOCTEST_CONFIG_NO_MULTITHREADING)
if(NOT ZV_NATIVE)
  # Only the doctest header, not the host's whole include folder.
  set(ZV_DOCTEST_INCLUDE ${CMAKE_BINARY_DIR}/doctest-include)
  if(NOT EXISTS ${ZV_DOCTEST_INCLUDE}/doctest)
    file(MAKE_DIRECTORY ${ZV_DOCTEST_INCLUDE})
    file(CREATE_LINK /usr/include/doctest ${ZV_DOCTEST_INCLUDE}/doctest SYMBOLIC)
  endif()
  target_include_directories(zv_doctest SYSTEM INTERFACE ${ZV_DOCTEST_INCLUDE})
endif()

function(zv_pure_library name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${ZV_ROOT})
endfunction()

function(zv_win_library name)
  if(ZV_NATIVE)
    return()
  endif()
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${ZV_ROOT})
endfunction()

function(zv_unit_test name)
  cmake_parse_arguments(T "WINDOW;WINDOWS_ONLY;NATIVE_ONLY" "TIMEOUT;WRAPPER" "SOURCES;LIBS;ENV" ${ARGN})
  if(T_WINDOWS_ONLY OR T_WINDOW)
    if(ZV_NATIVE)
      return()
    endif()
  endif()
  if(T_NATIVE_ONLY AND NOT ZV_NATIVE)
    return()
  endif()
  add_executable(${name} ${T_SOURCES} ${ZV_ROOT}/tests/doctest_main.cpp)
  target_link_libraries(${name} PRIVATE ${T_LIBS} zv_doctest)
  target_include_directories(${name} PRIVATE ${ZV_ROOT})
  # Each test has a folder of its own: programs keep their settings, session and undo
  # files beside the executable, and tests run in parallel.
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/${name})
  if(NOT ZV_NATIVE)
    target_link_options(${name} PRIVATE ${ZV_WIN_LINK})
    target_link_libraries(${name} PRIVATE ${ZV_WIN_SYSLIBS})
  endif()
  if(T_WRAPPER)
    # A script that runs the test program (under the emulator) for the test.
    add_test(NAME ${name} COMMAND ${T_WRAPPER} ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:${name}>
             WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests/${name})
  else()
    add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests/${name})
  endif()
  if(T_ENV)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${T_ENV}")
  endif()
  if(T_WINDOW)
    set_tests_properties(${name} PROPERTIES RESOURCE_GROUPS "winelane:1")
    set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT ZV_WINDOW_TEST=1)
  endif()
  if(T_TIMEOUT)
    set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
  else()
    set_tests_properties(${name} PROPERTIES TIMEOUT 300)
  endif()
endfunction()

function(zv_fuzz_target name)
  cmake_parse_arguments(F "" "SECONDS" "SOURCES;LIBS" ${ARGN})
  if(NOT ZV_FUZZ)
    return()
  endif()
  if(NOT F_SECONDS)
    set(F_SECONDS 20)
  endif()
  add_executable(${name} ${F_SOURCES})
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  target_include_directories(${name} PRIVATE ${ZV_ROOT})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set(corpus ${CMAKE_BINARY_DIR}/fuzz-corpus/${name})
  file(MAKE_DIRECTORY ${corpus})
  add_test(NAME ${name}
           COMMAND ${name} -max_total_time=${F_SECONDS} -timeout=10 -rss_limit_mb=2048
                   -print_final_stats=0 ${corpus})
  math(EXPR limit "${F_SECONDS} * 3 + 60")
  set_tests_properties(${name} PROPERTIES TIMEOUT ${limit} LABELS fuzz)
endfunction()

function(zv_bench name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE ${B_LIBS})
  target_include_directories(${name} PRIVATE ${ZV_ROOT})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
  if(NOT ZV_NATIVE)
    target_link_options(${name} PRIVATE ${ZV_WIN_LINK})
    target_link_libraries(${name} PRIVATE ${ZV_WIN_SYSLIBS})
  endif()
endfunction()

# The Win32 user interface is one library assembled from every folder: its parts call
# each other across folders (the main window calls the editor, the editor the undo
# recorder), which one archive resolves without link-order games.
function(zv_ui_sources)
  if(ZV_NATIVE)
    return()
  endif()
  foreach(src ${ARGN})
    get_filename_component(abs ${src} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    set_property(GLOBAL APPEND PROPERTY ZV_UI_SOURCES ${abs})
  endforeach()
endfunction()

function(zv_ui_link)
  if(ZV_NATIVE)
    return()
  endif()
  set_property(GLOBAL APPEND PROPERTY ZV_UI_LIBS ${ARGN})
endfunction()
