# The layers of the build, held by construction.
#
# Every library and program sees the headers of what it links, and only
# those: each target gets an include folder of its own in the build tree,
# holding a link to each of its headers under the header's path in the
# source tree ("main/Form1.h"), and passes it on to what links it. A core
# library therefore cannot even name a window's header.
#
# A core library (<folder>_core) links only Qt Core and other core
# libraries, and no source of it includes a header of Qt's Gui, Widgets or
# Multimedia modules (which the Qt include root would still let it name, as
# <QtWidgets/QWidget>) nor a header of a window library: the configuration
# stops on the first, the build on the second.

function(velmar_give_headers target)
  get_target_property(sources ${target} SOURCES)
  get_target_property(dir ${target} SOURCE_DIR)
  set(root ${CMAKE_BINARY_DIR}/include/${target})
  file(REMOVE_RECURSE ${root})
  set(any FALSE)
  foreach(src IN LISTS sources)
    if(src MATCHES "\\.h$")
      cmake_path(ABSOLUTE_PATH src BASE_DIRECTORY ${dir} NORMALIZE OUTPUT_VARIABLE abs)
      file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR} ${abs})
      cmake_path(GET rel PARENT_PATH parent)
      file(MAKE_DIRECTORY ${root}/${parent})
      file(CREATE_LINK ${abs} ${root}/${rel} SYMBOLIC)
      set(any TRUE)
    endif()
  endforeach()
  if(any)
    target_include_directories(${target} PUBLIC ${root})
  endif()
endfunction()

# Every library and program defined in these folders.
function(velmar_layers)
  set(core_sources)
  set(ui_headers)
  foreach(folder IN LISTS ARGN)
    get_property(targets DIRECTORY ${CMAKE_SOURCE_DIR}/${folder} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(t IN LISTS targets)
      get_target_property(type ${t} TYPE)
      if(NOT type MATCHES "^(STATIC_LIBRARY|EXECUTABLE)$")
        continue()
      endif()
      velmar_give_headers(${t})
      get_target_property(sources ${t} SOURCES)
      get_target_property(dir ${t} SOURCE_DIR)
      if(t MATCHES "_core$")
        get_target_property(libs ${t} LINK_LIBRARIES)
        foreach(l IN LISTS libs)
          if(NOT (l STREQUAL "Qt6::Core" OR l MATCHES "_core$"))
            message(FATAL_ERROR "${t} links ${l}: a core library links only Qt Core and other core libraries")
          endif()
        endforeach()
        foreach(src IN LISTS sources)
          cmake_path(ABSOLUTE_PATH src BASE_DIRECTORY ${dir} NORMALIZE OUTPUT_VARIABLE abs)
          list(APPEND core_sources ${abs})
        endforeach()
      elseif(t MATCHES "_ui$")
        foreach(src IN LISTS sources)
          if(src MATCHES "\\.h$")
            cmake_path(ABSOLUTE_PATH src BASE_DIRECTORY ${dir} NORMALIZE OUTPUT_VARIABLE abs)
            file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR} ${abs})
            list(APPEND ui_headers ${rel})
          endif()
        endforeach()
      endif()
    endforeach()
  endforeach()

  # The Qt module folders a core source may not reach into.
  set(qt_window_dirs)
  foreach(module Gui Widgets Multimedia)
    get_target_property(dirs Qt6::${module} INTERFACE_INCLUDE_DIRECTORIES)
    foreach(d IN LISTS dirs)
      if(d MATCHES "/Qt${module}$")
        list(APPEND qt_window_dirs ${d})
      endif()
    endforeach()
  endforeach()

  set(lists ${CMAKE_BINARY_DIR}/layers)
  file(WRITE ${lists}/core_sources.txt "")
  foreach(f IN LISTS core_sources)
    file(APPEND ${lists}/core_sources.txt "${f}\n")
  endforeach()
  file(WRITE ${lists}/ui_headers.txt "")
  foreach(f IN LISTS ui_headers)
    file(APPEND ${lists}/ui_headers.txt "${f}\n")
  endforeach()
  list(JOIN qt_window_dirs "|" qt_dirs)
  set(script -P ${CMAKE_SOURCE_DIR}/cmake/CheckLayers.cmake)
  set(args -DUI_HEADERS=${lists}/ui_headers.txt -DQT_DIRS=${qt_dirs})
  # The check of any list of sources, for the check's own tests.
  set_property(GLOBAL PROPERTY VELMAR_LAYER_CHECK ${CMAKE_COMMAND} ${args})
  add_custom_command(OUTPUT ${lists}/checked
                     COMMAND ${CMAKE_COMMAND} ${args} -DSOURCES=${lists}/core_sources.txt
                             -DSTAMP=${lists}/checked ${script}
                     DEPENDS ${core_sources} ${lists}/ui_headers.txt ${CMAKE_SOURCE_DIR}/cmake/CheckLayers.cmake
                     COMMENT "Checking that no core source reaches a window"
                     VERBATIM)
  add_custom_target(layer_check ALL DEPENDS ${lists}/checked)
endfunction()
