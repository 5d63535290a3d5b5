# Test helpers. qv_native_test: a Win32-free module's test, built and run in the native tree
# (under the sanitizers). qv_wine_test: a test that needs the platform, built in the Windows
# tree and run under Wine through the emulator wrapper (private prefix, Xvfb when needed).
if(BUILD_TESTING)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()

# Source tree as the Windows side sees it (Wine maps / to Z:).
string(REPLACE "/" "\\\\" QV_ROOT_BACKSLASH "${QV_ROOT}")
set(QV_ROOT_WIN "Z:${QV_ROOT_BACKSLASH}")
string(REPLACE "/" "\\\\" QV_BINARY_BACKSLASH "${CMAKE_BINARY_DIR}")
set(QV_BINARY_DIR_WIN "Z:${QV_BINARY_BACKSLASH}")

function(qv_native_test name)
  if(BUILD_TESTING AND NOT WIN32)
    add_executable(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE qv_pure gtest_main)
    target_compile_definitions(${name} PRIVATE QV_SOURCE_DIR="${QV_ROOT}")
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES LABELS native)
  endif()
endfunction()

function(qv_wine_test name)
  if(BUILD_TESTING AND WIN32)
    add_executable(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE qv_win gtest_main)
    target_compile_definitions(${name} PRIVATE QV_SOURCE_DIR="${QV_ROOT_WIN}" QV_BINARY_DIR="${QV_BINARY_DIR_WIN}")
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES LABELS wine)
  endif()
endfunction()

# Runs an existing Wine test once more in the 32-bit prefix (WINEARCH=win32).
function(qv_wine_test32 name)
  if(BUILD_TESTING AND WIN32)
    add_test(NAME ${name}_win32 COMMAND ${QV_ROOT}/scripts/wine-run.sh ${CMAKE_BINARY_DIR} --win32 $<TARGET_FILE:${name}>)
    set_tests_properties(${name}_win32 PROPERTIES LABELS wine)
  endif()
endfunction()
