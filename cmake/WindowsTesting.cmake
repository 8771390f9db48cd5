# GoogleTest for the Windows build: Debian ships its sources, built here with
# the cross compiler. Test programs run under Wine (the toolchain's emulator).
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
include(GoogleTest)

# Under Wine every process start costs a good part of a second, so a test
# program is one ctest entry that runs all its cases, instead of one entry per
# case. The properties given for the cases apply to the program.
function(gtest_discover_tests target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "DISCOVERY_TIMEOUT;DISCOVERY_MODE;TEST_PREFIX;TEST_SUFFIX;WORKING_DIRECTORY;TEST_LIST"
                        "EXTRA_ARGS;PROPERTIES")
  add_test(NAME ${target} COMMAND ${target} ${arg_EXTRA_ARGS})
  if(arg_PROPERTIES)
    set_tests_properties(${target} PROPERTIES ${arg_PROPERTIES})
  endif()
endfunction()
