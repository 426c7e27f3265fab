# Records what the runtime depends on, for the packages that tavlo-book makes of books to depend on
# as the runtime does: the architecture, and the Depends that dpkg-shlibdeps gives for the reader,
# its component files and tavlo-book. The runtime's own package takes the same line.
#   cmake -DOUTPUT=file -DDPKG_SHLIBDEPS=program -DLIBRARY_DIR=dir -DFILES=a:b:c -P runtimecontrol.cmake
set(work ${OUTPUT}.work)
file(REMOVE_RECURSE ${work})
# dpkg-shlibdeps reads the package's control file from the folder it runs in; an empty one does.
file(WRITE ${work}/debian/control "")
string(REPLACE ":" ";" files "${FILES}")
set(options)
foreach(file ${files})
    list(APPEND options -e ${file})
endforeach()
execute_process(COMMAND ${DPKG_SHLIBDEPS} -O -l${LIBRARY_DIR} ${options}
    WORKING_DIRECTORY ${work} OUTPUT_VARIABLE depends ERROR_VARIABLE messages RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT depends MATCHES "shlibs:Depends=([^\n]+)")
    message(FATAL_ERROR "dpkg-shlibdeps failed: ${messages}")
endif()
set(depends ${CMAKE_MATCH_1})
execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE architecture
    OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
file(REMOVE_RECURSE ${work})
file(WRITE ${OUTPUT} "Architecture: ${architecture}\nDepends: ${depends}\n")
