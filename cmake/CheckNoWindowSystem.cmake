# cmake -DOBJDUMP=... -DLIBRARY=<dll> -DLAYER=<name> -P CheckNoWindowSystem.cmake
# Fails when the DLL imports the window system: a layer below the GUI backend must not call it.
execute_process(COMMAND ${OBJDUMP} -p ${LIBRARY} OUTPUT_VARIABLE imports RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} could not read ${LIBRARY}")
endif()
string(REGEX MATCHALL "DLL Name: (USER32|GDI32|user32|gdi32)[.]dll" window_system "${imports}")
if(window_system)
  message(FATAL_ERROR "${LAYER} calls the window system (${window_system}): only the GUI backend may")
endif()
