# quarvo_warnings(target): the warning set every target of ours compiles with.
# Third-party sources (GoogleTest) are built without it.
function(quarvo_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Wpedantic)
  if(QUARVO_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
