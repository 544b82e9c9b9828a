# Shared by both mingw toolchain files; QUARVO_MINGW_TRIPLE names the target.
set(CMAKE_C_COMPILER ${QUARVO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUARVO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QUARVO_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${QUARVO_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# pkg-config must see the target's libraries only, never the host's.
set(ENV{PKG_CONFIG_LIBDIR} "/usr/${QUARVO_MINGW_TRIPLE}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
# Target Windows XP as the oldest system; newer functions are bound at run time.
add_compile_definitions(_WIN32_WINNT=0x0501 WINVER=0x0501 UNICODE _UNICODE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../test-support/wine/wine-run)
