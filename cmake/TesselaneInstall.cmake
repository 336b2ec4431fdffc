include(CMakePackageConfigHelpers)

install(TARGETS tesselane_core EXPORT TesselaneTargets
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(DIRECTORY "${PROJECT_SOURCE_DIR}/tesselane/" DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/tesselane
    FILES_MATCHING PATTERN "*.h")
install(EXPORT TesselaneTargets NAMESPACE tesselane::
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Tesselane)

configure_package_config_file(cmake/TesselaneConfig.cmake.in
    "${PROJECT_BINARY_DIR}/TesselaneConfig.cmake"
    INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Tesselane)
write_basic_package_version_file("${PROJECT_BINARY_DIR}/TesselaneConfigVersion.cmake"
    COMPATIBILITY SameMinorVersion)
install(FILES "${PROJECT_BINARY_DIR}/TesselaneConfig.cmake"
              "${PROJECT_BINARY_DIR}/TesselaneConfigVersion.cmake"
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Tesselane)
