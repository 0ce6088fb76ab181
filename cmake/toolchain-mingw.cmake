# Shared by both toolchain files, which set ZV_MINGW_TRIPLE first. The win32 thread model:
# the posix model pulls in winpthreads, which imports functions that Windows XP lacks.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${ZV_MINGW_TRIPLE}-gcc-win32)
set(CMAKE_CXX_COMPILER ${ZV_MINGW_TRIPLE}-g++-win32)
set(CMAKE_RC_COMPILER ${ZV_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${ZV_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
