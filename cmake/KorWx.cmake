# wxWidgets as one imported target. Debian builds wxWidgets with autotools and
# ships no CMake package, so CMake's FindwxWidgets module is used.
if(NOT TARGET korgui::wx)
  find_package(wxWidgets 3.2 REQUIRED COMPONENTS net stc core base)
  add_library(korgui::wx INTERFACE IMPORTED)
  separate_arguments(_kor_wx_cxx_flags UNIX_COMMAND "${wxWidgets_CXX_FLAGS}")
  set_target_properties(korgui::wx PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES "${wxWidgets_INCLUDE_DIRS}"
    INTERFACE_COMPILE_DEFINITIONS "${wxWidgets_DEFINITIONS}"
    INTERFACE_COMPILE_OPTIONS "${_kor_wx_cxx_flags}"
    INTERFACE_LINK_LIBRARIES "${wxWidgets_LIBRARIES}")
endif()
