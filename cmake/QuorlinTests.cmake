# GoogleTest: Debian's packaged library natively; compiled from Debian's sources
# with the cross compiler for the Windows tree.
if(WIN32)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  # Debian's GoogleTest sources do not build warning-free with MinGW; keep them out of -Werror.
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  foreach(t gtest gtest_main gmock gmock_main)
    target_compile_options(${t} PRIVATE -Wno-error)
  endforeach()
else()
  find_package(GTest REQUIRED)
endif()

# quorlin_test(name SOURCES ... LIBS ...): one test program per area; under the
# Windows tree ctest runs it through the Wine wrapper (the cross-compiling emulator).
function(quorlin_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main GTest::gtest)
  # gtest_main supplies a narrow main(), so no -municode here.
  if(WIN32)
    target_link_options(${name} PRIVATE -mconsole)
  endif()
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT 300)
endfunction()
