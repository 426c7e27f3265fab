# Records the runtime's version, which the packages that tavlo-book makes of books depend on at
# least, and the Depends that dpkg-shlibdeps gives for the reader, its component files and
# tavlo-book, which the runtime's own package takes.
#   cmake -DOUTPUT=file -DDPKG_SHLIBDEPS=program -DVERSION=v -DLIBRARY_DIR=dir -DFILES=a:b:c -P runtimecontrol.cmake
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
file(REMOVE_RECURSE ${work})
file(WRITE ${OUTPUT} "Version: ${VERSION}\nDepends: ${depends}\n")
