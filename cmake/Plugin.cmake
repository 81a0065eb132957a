# Where `cmake --install` puts the deliverables, relative to the prefix. On
# Windows the prefix stands for the simulator's folder.
if(WIN32)
  set(SUITE_PLUGIN_INSTALL_DIR modules CACHE STRING "Install folder of the plug-ins")
else()
  set(SUITE_PLUGIN_INSTALL_DIR plugins CACHE STRING "Install folder of the plug-ins")
endif()

# add_plugin(<name> SOURCES ... [LIBRARIES ...] [PARTANIM_TABLE])
#
# A deliverable: a shared module named exactly <name> with the platform's
# suffix and no prefix, its own copy of the frame, and only the five entry
# points exported. PARTANIM_TABLE: its frame copies partanim's shorter
# services table.
function(add_plugin name)
  cmake_parse_arguments(P "PARTANIM_TABLE" "" "SOURCES;LIBRARIES;DEFINITIONS" ${ARGN})
  set(services frame_services)
  if(P_PARTANIM_TABLE)
    set(services frame_services_partanim)
  endif()
  add_library(${name} MODULE ${P_SOURCES})
  target_link_libraries(${name} PRIVATE ${services} frame_exports ${P_LIBRARIES})
  target_compile_definitions(${name} PRIVATE ${P_DEFINITIONS})
  # Its own folder's headers; everything else through what it links.
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  suite_headers(${name} PRIVATE ${folder})
  set_target_properties(${name} PROPERTIES
    PREFIX ""
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/plugins
    RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/plugins)
  plugin_compile_options(${name})
  if(WIN32)
    target_link_options(${name} PRIVATE -static -static-libgcc -static-libstdc++
                        -Wl,--exclude-all-symbols)
  else()
    target_link_options(${name} PRIVATE
      "-Wl,--version-script=${PROJECT_SOURCE_DIR}/cmake/exports.map" -Wl,--no-undefined)
    set_property(TARGET ${name} APPEND PROPERTY LINK_DEPENDS ${PROJECT_SOURCE_DIR}/cmake/exports.map)
  endif()
  set_property(GLOBAL APPEND PROPERTY SUITE_PLUGINS ${name})
  install(TARGETS ${name} LIBRARY DESTINATION ${SUITE_PLUGIN_INSTALL_DIR}
                  RUNTIME DESTINATION ${SUITE_PLUGIN_INSTALL_DIR})
endfunction()

# Code that ends up inside a deliverable: no exceptions, hidden symbols, PIC.
function(plugin_compile_options target)
  target_compile_options(${target} PRIVATE -fno-exceptions)
  set_target_properties(${target} PROPERTIES
    POSITION_INDEPENDENT_CODE ON
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
endfunction()

# A static library linked into deliverables (and into the tests).
function(add_plugin_library name)
  add_library(${name} STATIC ${ARGN})
  plugin_compile_options(${name})
endfunction()
