# cmake -DOBJDUMP=... -DOBJECT_DIR=... -P check-no-initializers.cmake
# ztui.dll is linked without the C runtime's start-up code (its entry point is
# DllMain), so nothing would run a static initializer or register a static
# destructor. Fail the build if an object file of the library asks for one.
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
