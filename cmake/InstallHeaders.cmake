# Run by cmake --install (included from the install code of Install.cmake):
# installs the libraries' headers under <include>/nvQueryBuilder with their
# includes of each other written as <nvQueryBuilder/...>. In the source tree
# a header includes another by its path from the source root
# ("sqlmodel/sql/QualifiedName.h"); installed, that path would need the
# package's own folder on the include path, and its generic folder names
# next to an application's. Each header is rewritten into a staging folder of
# the build tree and installed from there.
#
# In: NVQB_SOURCE_DIR, NVQB_STAGE_DIR, NVQB_HEADERS (paths from the source
# root), NVQB_HEADER_FOLDERS (the top folders whose includes are rewritten),
# NVQB_INCLUDE_DIR (relative to the install prefix, or absolute).
list(JOIN NVQB_HEADER_FOLDERS "|" _folders)
if(IS_ABSOLUTE "${NVQB_INCLUDE_DIR}")
  set(_include "${NVQB_INCLUDE_DIR}")
else()
  set(_include "${CMAKE_INSTALL_PREFIX}/${NVQB_INCLUDE_DIR}")
endif()
foreach(_header IN LISTS NVQB_HEADERS)
  file(READ "${NVQB_SOURCE_DIR}/${_header}" _text)
  string(REGEX REPLACE "#include \"((${_folders})/[^\"]+)\"" "#include <nvQueryBuilder/\\1>" _text "${_text}")
  set(_staged "${NVQB_STAGE_DIR}/nvQueryBuilder/${_header}")
  # Written only when changed, so an unchanged header keeps its time and
  # reads "Up-to-date" when installed again.
  set(_old "")
  if(EXISTS "${_staged}")
    file(READ "${_staged}" _old)
  endif()
  if(NOT _old STREQUAL _text)
    file(WRITE "${_staged}" "${_text}")
  endif()
  get_filename_component(_dir "${_header}" DIRECTORY)
  file(INSTALL DESTINATION "${_include}/nvQueryBuilder/${_dir}" TYPE FILE FILES "${_staged}")
endforeach()
