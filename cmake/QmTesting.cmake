# Test helpers shared by every component.
#
# qm_test(NAME name SOURCES ... [LIBS ...] [LABELS ...] [GUI])
#   One GoogleTest binary. Native builds register each test case with ctest;
#   Windows builds register the binary as one ctest test run under Wine
#   (a Wine start per case would cost more than the cases themselves).
#   GUI marks tests that need a display: they run one at a time.

if(NOT TARGET gtest)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()
include(GoogleTest)

function(qm_test)
  cmake_parse_arguments(T "GUI" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} gtest gtest_main)
  if(WIN32)
    target_link_libraries(${T_NAME} PRIVATE
      gdi32 comdlg32 winspool ole32 oleaut32 uuid shell32 comctl32 advapi32 user32 shlwapi)
    add_test(NAME ${T_NAME} COMMAND ${T_NAME} --gtest_brief=1)
    set(labels windows ${T_LABELS})
    set_tests_properties(${T_NAME} PROPERTIES LABELS "${labels}" TIMEOUT 300)
    if(T_GUI)
      set_tests_properties(${T_NAME} PROPERTIES RUN_SERIAL TRUE)
    endif()
  else()
    gtest_discover_tests(${T_NAME} PROPERTIES LABELS "native;${T_LABELS}" TIMEOUT 300
                         DISCOVERY_TIMEOUT 60)
  endif()
endfunction()
