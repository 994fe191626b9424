# The installed package as an application meets it, in three steps (run with
# cmake -P, STEP naming one):
#   install   installs the build tree into PREFIX and checks what was installed
#   outside   builds the outside project against it and runs it on the demo's
#             sample database
#   readme    builds the README's example with the README's own CMake lines,
#             in a project that names no C++ standard and in one that asks
#             for C++17, and runs each on the sample database
#   designer  builds a Qt program that does not link the libraries and loads
#             the installed designer plugin in it
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${ARGN}\n${out}\n${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

function(expect_file path)
  if(NOT EXISTS "${PREFIX}/${path}")
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endfunction()

# Builds a small project against the installed tree.
function(build_project source build)
  set(flags "")
  if(CXX_FLAGS)
    set(flags "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${CXX_FLAGS}")
  endif()
  file(REMOVE_RECURSE "${build}")
  run(${CMAKE_COMMAND} -S "${source}" -B "${build}" -DCMAKE_BUILD_TYPE=Release
    "-DCMAKE_PREFIX_PATH=${PREFIX}" "-DCMAKE_CXX_COMPILER=${CXX_COMPILER}" -DNVQB_CHECK_HEADERS=ON ${flags})
  run(${CMAKE_COMMAND} --build "${build}" -j 2)
endfunction()

# The demo makes its sample database (SQLite) in its cache folder; the file
# goes into `var`.
function(make_sample_database var)
  file(REMOVE_RECURSE "${WORK_DIR}/cache")
  run(${CMAKE_COMMAND} -E env "XDG_CACHE_HOME=${WORK_DIR}/cache" QT_QPA_PLATFORM=offscreen
    "${DEMO_PROGRAM}" --print-sql)
  file(GLOB database "${WORK_DIR}/cache/nvqb-demo/orderentry-*.db")
  if(NOT database)
    message(FATAL_ERROR "the demo made no sample database in ${WORK_DIR}/cache")
  endif()
  set(${var} "${database}" PARENT_SCOPE)
endfunction()

# Runs a program built like the README's example on the sample database and
# checks what it prints.
set(example_sql "select o.order_id, c.company_name from orders o inner join customers c on c.customer_id = o.customer_id where o.order_id > 10")
set(example_out "9 objects Select o.order_id, c.company_name From orders o Inner Join customers c On c.customer_id = o.customer_id Where o.order_id > 10")
function(check_example program database)
  # Called directly: the connection string's semicolons would split it into
  # arguments on the way through a function's argument list.
  execute_process(COMMAND "${program}" "Driver=SQLite3;Database=${database}" "${example_sql}"
    --print-sql RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${program} failed (${rc}):\n${out}\n${err}")
  endif()
  string(STRIP "${out}" out)
  string(REGEX REPLACE "[ \r\n]+" " " flat "${out}")
  if(NOT flat STREQUAL example_out)
    message(FATAL_ERROR "${program} printed:\n${out}")
  endif()
  message(STATUS "${program} printed:\n${out}")
endfunction()

if(STEP STREQUAL "install")
  file(REMOVE_RECURSE "${PREFIX}")
  run(${CMAKE_COMMAND} --install "${NVQB_BUILD_DIR}" --prefix "${PREFIX}")

  # The libraries under their SONAME, with the development link beside them.
  foreach(lib nvQueryBuilderC6 nvQueryBuilderADOC6)
    expect_file("${LIBDIR}/lib${lib}.so")
    expect_file("${LIBDIR}/lib${lib}.so.0")
    run(readelf -d "${PREFIX}/${LIBDIR}/lib${lib}.so")
    if(NOT out MATCHES "Library soname: \\[lib${lib}\\.so\\.0\\]")
      message(FATAL_ERROR "lib${lib}.so has no SONAME lib${lib}.so.0:\n${out}")
    endif()
  endforeach()
  expect_file("${LIBDIR}/cmake/nvQueryBuilder/nvQueryBuilderConfig.cmake")
  expect_file("${LIBDIR}/cmake/nvQueryBuilder/nvQueryBuilderConfigVersion.cmake")
  expect_file("include/nvQueryBuilder/builder/controls/QueryBuilder.h")
  expect_file("include/nvQueryBuilder/adoprovider/ADOMetadataProvider.h")
  # One folder of the package's name in the include folder, and in it only
  # the libraries' own headers: no ODBC call table, no test or bench code.
  file(GLOB top RELATIVE "${PREFIX}/include" "${PREFIX}/include/*")
  if(NOT top STREQUAL "nvQueryBuilder")
    message(FATAL_ERROR "the include folder holds more than nvQueryBuilder/: ${top}")
  endif()
  file(GLOB_RECURSE headers RELATIVE "${PREFIX}/include/nvQueryBuilder" "${PREFIX}/include/nvQueryBuilder/*")
  foreach(header IN LISTS headers)
    if(header MATCHES "^(tests|bench|demos|installer|designer)/" OR header MATCHES "OdbcApi\\.h$"
       OR NOT header MATCHES "\\.h$")
      message(FATAL_ERROR "installed but not public: include/nvQueryBuilder/${header}")
    endif()
    # They include each other as an application includes them.
    file(STRINGS "${PREFIX}/include/nvQueryBuilder/${header}" includes REGEX "^#include \"")
    if(includes)
      message(FATAL_ERROR "include/nvQueryBuilder/${header} includes by a path of the source tree: ${includes}")
    endif()
  endforeach()
  if(DESIGNER_PLUGIN)
    expect_file("${DESIGNER_PLUGIN}")
  endif()

elseif(STEP STREQUAL "outside")
  build_project("${SOURCE_DIR}/outside" "${WORK_DIR}/outside-build")
  make_sample_database(database)
  check_example("${WORK_DIR}/outside-build/nvqb-outside" "${database}")

elseif(STEP STREQUAL "readme")
  # The example and its CMake lines exactly as the README gives them.
  file(READ "${README}" readme)
  string(REGEX MATCH "\n    (find_package\\(nvQueryBuilder[^)\n]*\\))\n" found "${readme}")
  set(find_line "${CMAKE_MATCH_1}")
  string(REGEX MATCH "\n    (target_link_libraries\\(myapp [^)]*\\))\n" found "${readme}")
  set(link_lines "${CMAKE_MATCH_1}")
  string(REGEX MATCH "```cpp\n([^`]*int main[^`]*)```" found "${readme}")
  set(example "${CMAKE_MATCH_1}")
  if(NOT find_line OR NOT link_lines OR NOT example)
    message(FATAL_ERROR "the README has no find_package, target_link_libraries or C++ example:\n"
      "'${find_line}'\n'${link_lines}'\n'${example}'")
  endif()
  make_sample_database(database)
  # An application that names no standard (the compiler's default) and one
  # that keeps to C++17, as Qt's own examples do: the package raises both to
  # what its headers need.
  foreach(standard IN ITEMS default 17)
    set(project "${WORK_DIR}/readme-${standard}")
    file(REMOVE_RECURSE "${project}")
    set(text "cmake_minimum_required(VERSION 3.25)\nproject(myapp LANGUAGES CXX)\n")
    if(NOT standard STREQUAL "default")
      string(APPEND text "set(CMAKE_CXX_STANDARD ${standard})\nset(CMAKE_CXX_STANDARD_REQUIRED ON)\n")
    endif()
    string(APPEND text "${find_line}\nadd_executable(myapp main.cpp)\n${link_lines}\n")
    file(WRITE "${project}/CMakeLists.txt" "${text}")
    file(WRITE "${project}/main.cpp" "${example}")
    build_project("${project}" "${project}/build")
    check_example("${project}/build/myapp" "${database}")
  endforeach()

elseif(STEP STREQUAL "designer")
  build_project("${SOURCE_DIR}/designer-host" "${WORK_DIR}/designer-host-build")
  # The host's own message first: the plugin and the core library load, or
  # the dynamic loader names what stops them.
  execute_process(COMMAND "${WORK_DIR}/designer-host-build/nvqb-designer-host" "${PREFIX}/${DESIGNER_PLUGIN}"
    RESULT_VARIABLE rc OUTPUT_VARIABLE host_out ERROR_VARIABLE err)
  # A library that asks for static thread-local storage loads only where the
  # surplus the C library keeps for it happens to suffice.
  foreach(lib nvQueryBuilderC6 nvQueryBuilderADOC6)
    run(readelf -d "${PREFIX}/${LIBDIR}/lib${lib}.so")
    if(out MATCHES "STATIC_TLS")
      message(SEND_ERROR "lib${lib}.so needs static thread-local storage")
    endif()
  endforeach()
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "the designer host could not use the plugin (${rc}):\n${err}")
  endif()
  string(STRIP "${host_out}" host_out)
  if(NOT host_out STREQUAL "widget nvqb::TnvQueryBuilder nvQueryBuilder nvQueryBuilder/builder/controls/QueryBuilder.h\nmade nvqb::TnvQueryBuilder")
    message(FATAL_ERROR "the designer host printed:\n${host_out}")
  endif()
  message(STATUS "the designer host printed:\n${host_out}")

else()
  message(FATAL_ERROR "unknown STEP '${STEP}'")
endif()
