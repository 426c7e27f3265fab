# Run by cpack as it configures: the runtime's package depends on what was recorded beside its
# version (runtimecontrol.cmake); books depend on the runtime.
if(CPACK_GENERATOR STREQUAL "DEB")
    file(STRINGS "${CPACK_TAVLO_RUNTIME_CONTROL}" depends REGEX "^Depends: ")
    if(NOT depends)
        message(FATAL_ERROR "${CPACK_TAVLO_RUNTIME_CONTROL} records no Depends")
    endif()
    string(REGEX REPLACE "^Depends: " "" CPACK_DEBIAN_PACKAGE_DEPENDS "${depends}")
endif()
