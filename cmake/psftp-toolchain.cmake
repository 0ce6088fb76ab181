# PuTTY's own cmake/toolchain-mingw.cmake, adapted: the target triple comes from the
# caller (i686 or x86_64), and the compilers are the win32-thread-model ones, whose
# programs import no winpthreads (the posix model pulls in functions Windows XP lacks).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${ZV_PSFTP_PROCESSOR})

set(CMAKE_C_COMPILER  ${ZV_PSFTP_TRIPLE}-gcc-win32)
set(CMAKE_RC_COMPILER ${ZV_PSFTP_TRIPLE}-windres)
set(CMAKE_AR          ${ZV_PSFTP_TRIPLE}-ar)
set(CMAKE_RANLIB      ${ZV_PSFTP_TRIPLE}-ranlib)

add_compile_definitions(__USE_MINGW_ANSI_STDIO)
