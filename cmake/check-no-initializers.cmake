# cmake -DOBJDUMP=... -DOBJECT_DIR=... -DLIBRARY=... -P check-no-initializers.cmake
# ztui.dll is linked without the C runtime's start-up code (its entry point is
# DllMain), so nothing would run a static initializer, and a static destructor
# registered with msvcrt's atexit would run after the library is unloaded. Fail
# the build if an object file asks for either.
file(GLOB_RECURSE objects "${OBJECT_DIR}/*.obj")
foreach(object ${objects})
  execute_process(COMMAND ${OBJDUMP} -h ${object} OUTPUT_VARIABLE sections RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "objdump failed on ${object}")
  endif()
  if(sections MATCHES "\\.(ctors|dtors|init_array|fini_array|CRT\\$X)")
    message(FATAL_ERROR "${object} needs static initialization, which ztui.dll does not run")
  endif()
endforeach()
execute_process(COMMAND ${OBJDUMP} -p ${LIBRARY} OUTPUT_VARIABLE imports RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "objdump failed on ${LIBRARY}")
endif()
if(imports MATCHES "[ \t](atexit|_onexit|__dllonexit|_initterm)\n")
  message(FATAL_ERROR "${LIBRARY} registers static destructors or runs initializers")
endif()
