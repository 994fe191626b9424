# cmake --install: the two shared libraries with their SONAME, their headers
# under one folder of the package's name, and a CMake package that an
# application finds with find_package(nvQueryBuilder). An application includes
# <nvQueryBuilder/builder/controls/QueryBuilder.h>; the installed headers
# include each other the same way (cmake/InstallHeaders.cmake rewrites the
# source tree's "builder/..." includes), so no folder of ours but
# nvQueryBuilder/ stands on an application's include path, where generic names
# such as classlib/ or support/ could meet its own.
# The nine interface languages are compiled into the core library as Qt
# resources (support/Languages.qrc): there are no language files to install.
include(CMakePackageConfigHelpers)

set_target_properties(nvQueryBuilderC6 nvQueryBuilderADOC6 PROPERTIES
  VERSION ${PROJECT_VERSION}
  SOVERSION ${PROJECT_VERSION_MAJOR})

install(TARGETS nvQueryBuilderC6 nvQueryBuilderADOC6
  EXPORT nvQueryBuilderTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Every header of the two libraries except the ODBC call table, which only the
# provider's own sources include and which would drag the ODBC headers into
# an application's build.
set(_nvqb_header_folders classlib support sqlmodel sql92 builder adoprovider)
set(_nvqb_private_headers adoprovider/OdbcApi.h)
set(_nvqb_headers "")
foreach(_folder IN LISTS _nvqb_header_folders)
  file(GLOB_RECURSE _headers RELATIVE ${PROJECT_SOURCE_DIR} CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/${_folder}/*.h)
  list(REMOVE_ITEM _headers ${_nvqb_private_headers})
  list(APPEND _nvqb_headers ${_headers})
endforeach()
install(CODE "
  set(NVQB_SOURCE_DIR [[${PROJECT_SOURCE_DIR}]])
  set(NVQB_STAGE_DIR [[${PROJECT_BINARY_DIR}/installed-headers]])
  set(NVQB_HEADERS [[${_nvqb_headers}]])
  set(NVQB_HEADER_FOLDERS [[${_nvqb_header_folders}]])
  set(NVQB_INCLUDE_DIR [[${CMAKE_INSTALL_INCLUDEDIR}]])
  include([[${PROJECT_SOURCE_DIR}/cmake/InstallHeaders.cmake]])
")

set(_nvqb_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/nvQueryBuilder)
install(EXPORT nvQueryBuilderTargets
  NAMESPACE nvQueryBuilder::
  DESTINATION ${_nvqb_cmake_dir})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/nvQueryBuilderConfig.cmake.in
  ${PROJECT_BINARY_DIR}/nvQueryBuilderConfig.cmake
  INSTALL_DESTINATION ${_nvqb_cmake_dir})
# Releases below 1.0 may change the interface with any minor version.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/nvQueryBuilderConfigVersion.cmake
  VERSION ${PROJECT_VERSION}
  COMPATIBILITY SameMinorVersion)
install(FILES
  ${PROJECT_BINARY_DIR}/nvQueryBuilderConfig.cmake
  ${PROJECT_BINARY_DIR}/nvQueryBuilderConfigVersion.cmake
  DESTINATION ${_nvqb_cmake_dir})
