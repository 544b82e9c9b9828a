# JNI headers for the native libraries and the test JNI host: the build JDK's jni.h with its
# own jni_md.h natively, and ours (libraries/jni/win) for mingw builds.
find_package(Java 17 REQUIRED COMPONENTS Development)
get_filename_component(QUARVO_JAVAC "${Java_JAVAC_EXECUTABLE}" REALPATH)
get_filename_component(QUARVO_JDK "${QUARVO_JAVAC}" DIRECTORY)
get_filename_component(QUARVO_JDK "${QUARVO_JDK}" DIRECTORY)
if(NOT EXISTS "${QUARVO_JDK}/include/jni.h")
  message(FATAL_ERROR "jni.h not found under ${QUARVO_JDK}; run scripts/bootstrap")
endif()

add_library(quarvo_jni INTERFACE)
if(WIN32)
  target_include_directories(quarvo_jni SYSTEM INTERFACE "${QUARVO_JDK}/include"
                             "${CMAKE_SOURCE_DIR}/libraries/jni/win")
else()
  target_include_directories(quarvo_jni SYSTEM INTERFACE "${QUARVO_JDK}/include"
                             "${QUARVO_JDK}/include/linux")
endif()
