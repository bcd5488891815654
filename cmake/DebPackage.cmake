# The Debian package, built with `cpack -G DEB` in the build folder. It holds
# everything an install holds: the four programs, the client library with
# its headers, CMake package and pkg-config file, the manual pages, the sample
# scenarios and the documents. Name and version come from the project() call.
set(QM_MAINTAINER "qmrecinfo maintainers <maintainers@qmrecinfo.invalid>")
set(QM_DEB_RELEASE 1)
set(QM_DEB_VERSION ${PROJECT_VERSION}-${QM_DEB_RELEASE})

# Debian wants the licence in /usr/share/doc/<package>/copyright, in the
# machine-readable format, and a compressed changelog beside it. Installed
# by every install, not only the package's: the copyright file is the licence.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE license)
string(FIND "${license}" "Permission" start)
string(SUBSTRING "${license}" ${start} -1 license)
string(STRIP "${license}" license)
string(REPLACE "\n\n" "\n.\n" license "${license}")
string(REPLACE "\n" "\n " license "${license}")
set(QM_LICENSE_TEXT " ${license}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/copyright.in
               ${PROJECT_BINARY_DIR}/deb/copyright @ONLY)
string(TIMESTAMP QM_DEB_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.Debian.in
               ${PROJECT_BINARY_DIR}/deb/changelog.Debian @ONLY)
find_program(QM_GZIP gzip REQUIRED)
add_custom_command(
  OUTPUT ${PROJECT_BINARY_DIR}/deb/changelog.Debian.gz
  COMMAND ${QM_GZIP} -9nkf ${PROJECT_BINARY_DIR}/deb/changelog.Debian
  DEPENDS ${PROJECT_BINARY_DIR}/deb/changelog.Debian
  VERBATIM)
add_custom_target(deb_changelog ALL
                  DEPENDS ${PROJECT_BINARY_DIR}/deb/changelog.Debian.gz)
install(FILES ${PROJECT_BINARY_DIR}/deb/copyright
              ${PROJECT_BINARY_DIR}/deb/changelog.Debian.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
# Lintian tags that do not apply to this package, with the reason.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME ${PROJECT_NAME})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VENDOR "qmrecinfo maintainers")
set(CPACK_PACKAGE_CONTACT ${QM_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "recording intervals of DVR cameras from an IP video server")
set(CPACK_PACKAGE_DESCRIPTION
"qmrecinfo runs beside the device manager of a digital video recorder (DVR)
system. It reads a DVR's server credentials from the device manager's
shared-memory segment, asks an IP video server in which intervals one camera
recorded on one date, and writes them to a small result file.

The package also holds qmctl, a command for the server's other services
(cameras, files, PTZ and presets, streams), the stand-ins qmsim (a video
server answering from scenario files) and qmdevmgr (the device manager's
DVR records), and the static client library qmclient with its headers, CMake
package and pkg-config file for programs of one's own.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${QM_DEB_RELEASE})
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Run-time libraries of the programs, from their ELF dependencies.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Building one's own program against the library needs these as well.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS
    "libtinyxml-dev, libboost-dev, pkg-config, cmake")
include(CPack)
