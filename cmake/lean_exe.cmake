# A lean shipped program with GCC (mingw-w64): small code, unused functions and
# data dropped at link time, no symbols or debug sections. The copy spends its time
# in the system's file calls, not in the program's code, so optimising for size
# does not slow it (bench/run).

if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  # Every function and datum in a section of its own, so that the linker can drop
  # what nothing uses; -Os comes after the build type's -O3 and wins.
  add_compile_options(-ffunction-sections -fdata-sections $<$<CONFIG:Release>:-Os>)
endif()

# make_lean_exe(TARGET): strips the program, drops unused sections and prints its
# size after each build.
function(make_lean_exe target)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # libstdc++'s default handler for an uncaught exception prints the exception's
    # demangled type to stderr, which a GUI program does not have; it pulls in the
    # whole demangler (about 55 KB). Plain abort() ends the program the same way.
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      set(handler_symbol __ZN9__gnu_cxx27__verbose_terminate_handlerEv=_abort)
    else()
      set(handler_symbol _ZN9__gnu_cxx27__verbose_terminate_handlerEv=abort)
    endif()
    target_link_options(${target} PRIVATE
      $<$<CONFIG:Release>:-s> -Wl,--gc-sections -Wl,--defsym,${handler_symbol})
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DFILE=$<TARGET_FILE:${target}> -P ${LEAN_EXE_SIZE_SCRIPT}
    VERBATIM)
endfunction()

set(LEAN_EXE_SIZE_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/print_size.cmake)
