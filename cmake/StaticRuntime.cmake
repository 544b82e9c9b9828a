# Windows deliverables must run with no compiler runtime DLLs beside them: libgcc, libstdc++
# and winpthread are linked statically into every DLL and EXE.
if(WIN32 AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  foreach(kind EXE SHARED MODULE)
    string(APPEND CMAKE_${kind}_LINKER_FLAGS " -static -static-libgcc -static-libstdc++")
  endforeach()
endif()
