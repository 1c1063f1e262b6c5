# Gives a Windows executable its version information and the application
# manifest (app/resources), both from the project's one version number.
function(modpaths_windows_resources target description)
  if(NOT WIN32)
    return()
  endif()
  set(NAME ${target})
  set(DESCRIPTION ${description})
  set(MANIFEST ${PROJECT_SOURCE_DIR}/app/resources/modpaths.manifest)
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  configure_file(${PROJECT_SOURCE_DIR}/app/resources/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  if(MSVC)
    # The manifest comes from the resource, not from the linker.
    target_link_options(${target} PRIVATE /MANIFEST:NO)
  endif()
endfunction()
