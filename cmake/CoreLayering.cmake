# quickhalo_core is pure logic: it may use QtCore (and QtNetwork where a model fetches) but no
# GUI, widget, D-Bus or X11 header. Those headers are shadowed on the core's include path by
# stubs that stop the compiler with a clear message, so a stray include fails the build at once.
set(QUICKHALO_CORE_POISON_DIR "${CMAKE_BINARY_DIR}/core-poison")
set(_poison_message "quickhalo_core is pure logic: GUI, widget, D-Bus and X11 headers are not available here")

get_target_property(_qt_core_includes Qt6::Core INTERFACE_INCLUDE_DIRECTORIES)
set(_qt_root "")
foreach(_dir IN LISTS _qt_core_includes)
  if(EXISTS "${_dir}/QtCore" AND IS_DIRECTORY "${_dir}/QtCore")
    set(_qt_root "${_dir}")
  endif()
endforeach()

set(_poison_roots "")
foreach(_module QtGui QtWidgets QtSvg QtSvgWidgets QtDBus QtOpenGL QtOpenGLWidgets)
  if(_qt_root AND IS_DIRECTORY "${_qt_root}/${_module}")
    list(APPEND _poison_roots "${_qt_root}|${_module}")
  endif()
endforeach()
foreach(_dir X11 xcb xkbcommon pulse)
  if(IS_DIRECTORY "/usr/include/${_dir}")
    list(APPEND _poison_roots "/usr/include|${_dir}")
  endif()
endforeach()

if(NOT EXISTS "${QUICKHALO_CORE_POISON_DIR}/.complete")
  foreach(_root IN LISTS _poison_roots)
    string(REPLACE "|" ";" _parts "${_root}")
    list(GET _parts 0 _base)
    list(GET _parts 1 _sub)
    file(GLOB_RECURSE _headers RELATIVE "${_base}" "${_base}/${_sub}/*")
    list(APPEND _headers "${_sub}/${_sub}") # module umbrella headers such as <QtWidgets/QtWidgets>
    foreach(_header IN LISTS _headers)
      file(WRITE "${QUICKHALO_CORE_POISON_DIR}/${_header}" "#error \"${_poison_message}\"\n")
    endforeach()
  endforeach()
  file(WRITE "${QUICKHALO_CORE_POISON_DIR}/.complete" "")
endif()

function(quickhalo_enforce_core_layering target)
  target_include_directories(${target} BEFORE PRIVATE "${QUICKHALO_CORE_POISON_DIR}")
endfunction()
