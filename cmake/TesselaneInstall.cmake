# What `cmake --install` puts in place: the headers, the static core with a CMake package
# (find_package(Tesselane) gives tesselane::core) and a pkg-config file. The module and the
# tool install themselves from their own folders.
include(CMakePackageConfigHelpers)

set(TESSELANE_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Tesselane)

install(TARGETS tesselane_core EXPORT TesselaneTargets
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
# Every header of the C++ surface; entry/ installs its own header with the module.
install(DIRECTORY "${PROJECT_SOURCE_DIR}/tesselane/" DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/tesselane
    FILES_MATCHING PATTERN "*.h"
    PATTERN "entry" EXCLUDE)
install(EXPORT TesselaneTargets NAMESPACE tesselane:: DESTINATION ${TESSELANE_CMAKE_DIR})

configure_package_config_file(cmake/TesselaneConfig.cmake.in
    "${PROJECT_BINARY_DIR}/TesselaneConfig.cmake"
    INSTALL_DESTINATION ${TESSELANE_CMAKE_DIR})
write_basic_package_version_file("${PROJECT_BINARY_DIR}/TesselaneConfigVersion.cmake"
    COMPATIBILITY SameMinorVersion)
install(FILES "${PROJECT_BINARY_DIR}/TesselaneConfig.cmake"
              "${PROJECT_BINARY_DIR}/TesselaneConfigVersion.cmake"
    DESTINATION ${TESSELANE_CMAKE_DIR})

# pkg-config finds the prefix from where the file lies, so an installation may be moved (and
# `cmake --install --prefix` may pick another prefix than the configured one).
set(TESSELANE_PC_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
foreach(dir LIBDIR INCLUDEDIR)
    if(IS_ABSOLUTE "${CMAKE_INSTALL_${dir}}")
        set(TESSELANE_PC_${dir} "${CMAKE_INSTALL_${dir}}")
    else()
        set(TESSELANE_PC_${dir} "\${prefix}/${CMAKE_INSTALL_${dir}}")
    endif()
endforeach()
if(IS_ABSOLUTE "${TESSELANE_PC_DIR}")
    set(TESSELANE_PC_PREFIX "${CMAKE_INSTALL_PREFIX}")
else()
    file(RELATIVE_PATH TESSELANE_PC_UP "/prefix/${TESSELANE_PC_DIR}" "/prefix")
    set(TESSELANE_PC_PREFIX "\${pcfiledir}/${TESSELANE_PC_UP}")
endif()
configure_file(cmake/tesselane.pc.in "${PROJECT_BINARY_DIR}/tesselane.pc" @ONLY)
install(FILES "${PROJECT_BINARY_DIR}/tesselane.pc" DESTINATION ${TESSELANE_PC_DIR})
