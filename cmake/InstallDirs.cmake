# Where an install puts things, below the prefix. Included before the source
# folders so that their install() lines can use these names.
#
#   bin/                         qmrecinfo, qmctl, qmsim, qmdevmgr
#   lib/libqmclient.a            the client library
#   lib/cmake/qmrecinfo/         CMake package (find_package(qmrecinfo))
#   lib/pkgconfig/qmrecinfo.pc   pkg-config file
#   include/qmrecinfo/           public headers, in their source folders
#   share/man/man1/              manual pages
#   share/qmrecinfo/scenarios/   qmsim's sample scenarios
#   share/doc/qmrecinfo/         README, licence, consumer example
include(GNUInstallDirs)

# The headers keep their in-tree paths below this folder ("client/server.h"),
# so the includes between them work unchanged once installed.
set(QM_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/${PROJECT_NAME})
set(QM_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/${PROJECT_NAME})
set(QM_INSTALL_PKGCONFIGDIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
set(QM_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/${PROJECT_NAME})
