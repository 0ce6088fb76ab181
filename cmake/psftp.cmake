# The SFTP client that the program carries as its RCDATA resource 2: built from PuTTY's
# source package for this tree's target by scripts/build-psftp.sh, or copied from that
# script's cache. The resource compiler finds it through the include folder.
set(ZV_PSFTP_EXE ${CMAKE_BINARY_DIR}/psftp/psftp.exe)
add_custom_command(OUTPUT ${ZV_PSFTP_EXE}
  COMMAND ${ZV_ROOT}/scripts/build-psftp.sh ${CMAKE_SYSTEM_PROCESSOR} ${ZV_PSFTP_EXE}
  DEPENDS ${ZV_ROOT}/scripts/build-psftp.sh ${ZV_ROOT}/cmake/psftp-toolchain.cmake
  COMMENT "psftp.exe for the program's resources"
  USES_TERMINAL)
add_custom_target(zv_psftp DEPENDS ${ZV_PSFTP_EXE})
set_property(SOURCE ${ZV_ROOT}/resources/zorvik.rc APPEND PROPERTY OBJECT_DEPENDS ${ZV_PSFTP_EXE})
set_property(SOURCE ${ZV_ROOT}/resources/zorvik.rc APPEND PROPERTY INCLUDE_DIRECTORIES ${CMAKE_BINARY_DIR}/psftp)
