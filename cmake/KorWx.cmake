# wxWidgets as imported targets. Debian builds wxWidgets with autotools and ships no
# CMake package, so CMake's FindwxWidgets module is used, once per set of libraries:
#   korgui::wxbase  the base library alone (strings, files, threads): no windows, no GTK;
#   korgui::wx      everything the windows need (core, net for IPC, stc) on top of it.
function(_kor_wx_target target)
  add_library(${target} INTERFACE IMPORTED)
  separate_arguments(flags UNIX_COMMAND "${wxWidgets_CXX_FLAGS}")
  set_target_properties(${target} PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES "${wxWidgets_INCLUDE_DIRS}"
    INTERFACE_COMPILE_DEFINITIONS "${wxWidgets_DEFINITIONS}"
    INTERFACE_COMPILE_OPTIONS "${flags}"
    INTERFACE_LINK_LIBRARIES "${wxWidgets_LIBRARIES}")
endfunction()

if(NOT TARGET korgui::wxbase)
  find_package(wxWidgets 3.2 REQUIRED COMPONENTS base)
  _kor_wx_target(korgui::wxbase)
endif()
if(NOT TARGET korgui::wx)
  find_package(wxWidgets 3.2 REQUIRED COMPONENTS net stc core base)
  _kor_wx_target(korgui::wx)
endif()
