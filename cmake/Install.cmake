# cmake --install: the two shared libraries with their SONAME, their headers in
# the source tree's layout (so that a header's own includes such as
# "builder/controls/QueryBuilder.h" resolve through one include folder), and a
# CMake package that an application finds with find_package(nvQueryBuilder).
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
foreach(_folder IN LISTS _nvqb_header_folders)
  file(GLOB_RECURSE _headers RELATIVE ${PROJECT_SOURCE_DIR} CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/${_folder}/*.h)
  foreach(_header IN LISTS _headers)
    if(_header IN_LIST _nvqb_private_headers)
      continue()
    endif()
    get_filename_component(_dir ${_header} DIRECTORY)
    install(FILES ${PROJECT_SOURCE_DIR}/${_header}
      DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/nvQueryBuilder/${_dir})
  endforeach()
endforeach()

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
