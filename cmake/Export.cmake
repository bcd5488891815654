# Installs the client library with its CMake package and pkg-config file, the
# sample scenarios and the documents. The programs, headers and manual pages
# are installed by their own folders.
include(CMakePackageConfigHelpers)

install(TARGETS qmclient EXPORT qmrecinfoTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(EXPORT qmrecinfoTargets NAMESPACE qmrecinfo::
        DESTINATION ${QM_INSTALL_CMAKEDIR})
configure_package_config_file(
  ${CMAKE_CURRENT_LIST_DIR}/qmrecinfoConfig.cmake.in
  ${PROJECT_BINARY_DIR}/qmrecinfoConfig.cmake
  INSTALL_DESTINATION ${QM_INSTALL_CMAKEDIR})
# 0.x: a new minor version may change the interface.
write_basic_package_version_file(
  ${PROJECT_BINARY_DIR}/qmrecinfoConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/qmrecinfoConfig.cmake
              ${PROJECT_BINARY_DIR}/qmrecinfoConfigVersion.cmake
        DESTINATION ${QM_INSTALL_CMAKEDIR})

# pkg-config file. Its prefix is found from its own place (${pcfiledir}), so
# the installed tree can be moved, like the CMake package.
if(IS_ABSOLUTE "${QM_INSTALL_PKGCONFIGDIR}")
  message(FATAL_ERROR "CMAKE_INSTALL_LIBDIR must be relative to the prefix")
endif()
file(RELATIVE_PATH QM_PC_PREFIX_FROM_PCDIR
     /prefix/${QM_INSTALL_PKGCONFIGDIR} /prefix)
string(REGEX REPLACE "/$" "" QM_PC_PREFIX_FROM_PCDIR "${QM_PC_PREFIX_FROM_PCDIR}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/qmrecinfo.pc.in
               ${PROJECT_BINARY_DIR}/qmrecinfo.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/qmrecinfo.pc
        DESTINATION ${QM_INSTALL_PKGCONFIGDIR})

install(FILES ${PROJECT_SOURCE_DIR}/scenarios/README.md
              ${PROJECT_SOURCE_DIR}/scenarios/sample_day.xml
              ${PROJECT_SOURCE_DIR}/scenarios/sample_server.xml
              ${PROJECT_SOURCE_DIR}/scenarios/summer_day.xml
        DESTINATION ${QM_INSTALL_DATADIR}/scenarios)
install(FILES ${PROJECT_SOURCE_DIR}/README.md
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${PROJECT_SOURCE_DIR}/examples/CMakeLists.txt
              ${PROJECT_SOURCE_DIR}/examples/recording_day.cc
        DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
