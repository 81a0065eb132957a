# suite_headers(<target> <PUBLIC|PRIVATE|INTERFACE> <path>...)
#
# Includes are written from the repository's root ("frame/abi.h"), yet the root
# is no include folder: it would let every file reach every header. Instead
# each target offers the headers (or whole folders) it owns through a folder
# of its own, <build>/headers/<target>, holding links to them under their
# paths from the root; the folder goes with the target to what links it. So a
# file that includes a header of a library its target does not link fails to
# compile. (One call per target: the folder is made afresh each configure.)
function(suite_headers target scope)
  set(dir ${PROJECT_BINARY_DIR}/headers/${target})
  file(REMOVE_RECURSE ${dir})
  foreach(path IN LISTS ARGN)
    if(NOT EXISTS ${PROJECT_SOURCE_DIR}/${path})
      message(FATAL_ERROR "suite_headers(${target}): no ${path} in the source tree")
    endif()
    get_filename_component(parent ${dir}/${path} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${path} ${dir}/${path} SYMBOLIC)
  endforeach()
  target_include_directories(${target} ${scope} ${dir})
endfunction()
