# kor_add_library(NAME [RECURSE] [HEADERS_TO DIR]): a shared library from every .cpp in
# the calling folder (with RECURSE, its sub-folders too), exported as korgui::NAME.
# Only the headers directly in the calling folder are public: they are installed under
# include/DIR (default: NAME). Headers in sub-folders are the library's own.
function(kor_add_library name)
  cmake_parse_arguments(arg "RECURSE" "HEADERS_TO" "" ${ARGN})
  if(arg_RECURSE)
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  else()
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  endif()
  file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(NOT arg_HEADERS_TO)
    set(arg_HEADERS_TO ${name})
  endif()
  add_library(${name} SHARED ${sources})
  add_library(korgui::${name} ALIAS ${name})
  target_include_directories(${name} PUBLIC
    $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
  # Installed libraries find each other beside themselves.
  set_target_properties(${name} PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR}
                                           INSTALL_RPATH "$ORIGIN")
  install(TARGETS ${name} EXPORT korguiTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${headers} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/${arg_HEADERS_TO})
endfunction()
