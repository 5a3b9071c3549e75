# Unpacks one Debian source package with its Debian patches applied:
#   cmake -DDSC=<file.dsc> -DDESTINATION=<folder> -P unpack.cmake
# The folder is made anew; the archives stay where they are.
file(REMOVE_RECURSE ${DESTINATION})
get_filename_component(parent ${DESTINATION} DIRECTORY)
file(MAKE_DIRECTORY ${parent})
execute_process(COMMAND dpkg-source --no-check --no-copy -x ${DSC} ${DESTINATION}
  OUTPUT_VARIABLE output ERROR_VARIABLE output RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cannot unpack ${DSC}:\n${output}")
endif()
