# What a Windows build adds: checks of the two executables, the script that runs the
# end-to-end tests of a Linux build against them under Wine, and the release zip.
set(SKY_WINDOWS_PROGRAMS skydump skyload)

# The executables themselves: 32-bit console programs that load no DLL beyond those
# every Windows has. A runtime DLL of MinGW slipping in would fail on a user's machine.
if(CMAKE_OBJDUMP)
  foreach(program IN LISTS SKY_WINDOWS_PROGRAMS)
    add_test(NAME ${program}_is_a_standalone_console_exe
             COMMAND ${CMAKE_COMMAND} -DEXE=$<TARGET_FILE:${program}> -DOBJDUMP=${CMAKE_OBJDUMP}
                     -P ${CMAKE_CURRENT_LIST_DIR}/CheckWindowsExe.cmake)
  endforeach()
endif()

# run-e2e-under-wine.sh HOST_BUILD [ctest options]: the Linux build's test programs start
# this build's programs through the emulator (see tests/support/tool_runner.h).
if(CMAKE_CROSSCOMPILING_EMULATOR)
  set(SKY_EMULATOR "${CMAKE_CROSSCOMPILING_EMULATOR}")
  configure_file(${CMAKE_CURRENT_LIST_DIR}/run_e2e_under_wine.sh.in
                 ${CMAKE_BINARY_DIR}/run-e2e-under-wine.sh.in @ONLY)
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/run-e2e-under-wine.sh
       INPUT ${CMAKE_BINARY_DIR}/run-e2e-under-wine.sh.in
       FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                        WORLD_READ WORLD_EXECUTE)
endif()

# The release: both programs and the README in one zip under dist/.
set(SKY_DIST_DIR ${CMAKE_SOURCE_DIR}/dist CACHE PATH "Where the release zip is written")
set(SKY_DIST_NAME skytools-${PROJECT_VERSION}-win32)
set(SKY_DIST_STAGE ${CMAKE_BINARY_DIR}/dist-stage)
file(MAKE_DIRECTORY ${SKY_DIST_STAGE})
add_custom_target(dist
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${SKY_DIST_STAGE}/${SKY_DIST_NAME}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${SKY_DIST_STAGE}/${SKY_DIST_NAME} ${SKY_DIST_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:skydump> $<TARGET_FILE:skyload>
          ${CMAKE_SOURCE_DIR}/README.md ${SKY_DIST_STAGE}/${SKY_DIST_NAME}
  COMMAND ${CMAKE_COMMAND} -E tar cf ${SKY_DIST_DIR}/${SKY_DIST_NAME}.zip --format=zip
          ${SKY_DIST_NAME}
  WORKING_DIRECTORY ${SKY_DIST_STAGE}
  DEPENDS ${SKY_WINDOWS_PROGRAMS}
  COMMENT "Packing ${SKY_DIST_DIR}/${SKY_DIST_NAME}.zip"
  VERBATIM)
