# GoogleTest for the Windows build: Debian ships its sources, built here with
# the cross compiler. Test programs run under Wine (the toolchain's emulator).
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
