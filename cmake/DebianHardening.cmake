# Debian's hardening for the programs the package installs, as dpkg-buildflags gives it to every
# package built on Debian: fortified C library calls, the stack protector, read-only relocations
# bound at start, and position-independent executables. The release preset turns it on.
option(BOBBINLARK_DEBIAN_HARDENING "Build with Debian's hardening flags (dpkg-buildflags)" OFF)

if(BOBBINLARK_DEBIAN_HARDENING)
    find_program(DPKG_BUILDFLAGS dpkg-buildflags REQUIRED)
    # Debian's -g -O2 go: the build type says how to optimise, and the package is stripped.
    # Run from the source folder, so the file-prefix map writes paths relative to it.
    function(bobbinlark_buildflags name output_variable)
        execute_process(
            COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                    "DEB_CXXFLAGS_MAINT_STRIP=-g -O2" ${DPKG_BUILDFLAGS} --get ${name}
            WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
            OUTPUT_VARIABLE flags
            OUTPUT_STRIP_TRAILING_WHITESPACE
            COMMAND_ERROR_IS_FATAL ANY)
        set(${output_variable} "${flags}" PARENT_SCOPE)
    endfunction()
    bobbinlark_buildflags(CPPFLAGS debian_cppflags)
    bobbinlark_buildflags(CXXFLAGS debian_cxxflags)
    bobbinlark_buildflags(LDFLAGS debian_ldflags)
    string(APPEND CMAKE_CXX_FLAGS " ${debian_cppflags} ${debian_cxxflags}")
    string(APPEND CMAKE_EXE_LINKER_FLAGS " ${debian_ldflags}")
    set(CMAKE_POSITION_INDEPENDENT_CODE ON)
    include(CheckPIESupported)
    check_pie_supported()
    message(STATUS "Debian hardening: ${debian_cppflags} ${debian_cxxflags} ${debian_ldflags}")
endif()
