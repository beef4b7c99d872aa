# The layers of the build, held by construction and checked.
#
# Every library and program sees the headers of what it links, and only
# those: each target gets an include folder of its own in the build tree,
# holding a link to each of its headers under the header's path in the
# source tree ("main/Form1.h"), and passes it on to what links it. A core
# library therefore cannot name a window's header by its path.
#
# The compiler looks for a quoted include in the including file's own folder
# before the include paths, and follows ".." from there: "Peers.h" inside
# main/Decoder.cpp would find the window header lying next to it. So the
# build resolves every include of every source as the compiler does, and
# stops when one climbs with "..", or finds a file of the source tree that is
# not a header of the target itself or of what it links.
#
# A core library (<folder>_core) links only Qt Core and other core
# libraries, and no source of it includes a header of Qt's Gui, Widgets or
# Multimedia modules (which the Qt include root would still let it name, as
# <QtWidgets/QWidget>): the configuration stops on the first, the build on
# the second. Every library or program that links nothing of the windows is
# held to the same include rules, and a test program marked core-only
# (VELMAR_CORE_ONLY) must link nothing of them, so the core it tests is
# linked without any window.
#
# Each core library is also linked whole into a program of its own
# (<library>_alone) with nothing above it: a core object that calls into a
# window fails to link even where no test reaches it.

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
    set_property(TARGET ${target} PROPERTY VELMAR_HEADERS ${root})
  endif()
endfunction()

# Everything a target links, directly or through what those pass on.
function(velmar_linked target out)
  set(found)
  set(queue ${target})
  while(queue)
    list(POP_FRONT queue t)
    if(t STREQUAL target)
      get_target_property(libs ${t} LINK_LIBRARIES)
    else()
      get_target_property(libs ${t} INTERFACE_LINK_LIBRARIES)
    endif()
    if(NOT libs)
      continue()
    endif()
    foreach(l IN LISTS libs)
      if(l MATCHES "^\\$<LINK_LIBRARY:[^,>]+,([^>]+)>$")
        string(REPLACE "," ";" l "${CMAKE_MATCH_1}")
      elseif(l MATCHES "^\\$<" OR l MATCHES "^::@")
        # Link-only entries pass no headers on.
        continue()
      endif()
      foreach(n IN LISTS l)
        if(n STREQUAL target OR n IN_LIST found)
          continue()
        endif()
        list(APPEND found ${n})
        if(TARGET ${n})
          get_target_property(imported ${n} IMPORTED)
          if(NOT imported)
            list(APPEND queue ${n})
          endif()
        endif()
      endforeach()
    endforeach()
  endwhile()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

# The lines of the layer check's list for these sources of a target: who
# they belong to, the include folders of the headers that target sees, and
# the sources.
function(velmar_layer_lines target out)
  velmar_linked(${target} linked)
  # A target that links nothing of the windows is held to the core's rules.
  set(kind core)
  foreach(l IN LISTS linked)
    if(l MATCHES "_ui$" OR (l MATCHES "^Qt6::" AND NOT l MATCHES "^Qt6::(Core|Test)$"))
      set(kind any)
    endif()
  endforeach()
  set(see)
  foreach(n IN ITEMS ${target} ${linked})
    if(TARGET ${n})
      get_target_property(headers ${n} VELMAR_HEADERS)
      if(headers)
        list(APPEND see ${headers})
      endif()
    endif()
  endforeach()
  list(JOIN see "|" see)
  set(text "target ${target} ${kind}\nsee ${see}\n")
  foreach(src IN LISTS ARGN)
    string(APPEND text "${src}\n")
  endforeach()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# A list for the layer check of the given files, read as sources of that
# target (for the check's own tests).
function(velmar_layer_list file target)
  velmar_layer_lines(${target} text ${ARGN})
  file(WRITE ${file} "${text}")
endfunction()

# Every library and program defined in these folders.
function(velmar_layers)
  set(targets_seen)
  foreach(folder IN LISTS ARGN)
    get_property(targets DIRECTORY ${CMAKE_SOURCE_DIR}/${folder} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(t IN LISTS targets)
      get_target_property(type ${t} TYPE)
      if(type MATCHES "^(STATIC_LIBRARY|EXECUTABLE)$")
        velmar_give_headers(${t})
        list(APPEND targets_seen ${t})
      endif()
    endforeach()
  endforeach()

  set(text "")
  set(all_sources)
  set(core_libraries)
  foreach(t IN LISTS targets_seen)
    get_target_property(type ${t} TYPE)
    get_target_property(core_only ${t} VELMAR_CORE_ONLY)
    if(t MATCHES "_core$")
      get_target_property(libs ${t} LINK_LIBRARIES)
      foreach(l IN LISTS libs)
        if(NOT (l STREQUAL "Qt6::Core" OR l MATCHES "_core$"))
          message(FATAL_ERROR "${t} links ${l}: a core library links only Qt Core and other core libraries")
        endif()
      endforeach()
      if(type STREQUAL "STATIC_LIBRARY")
        list(APPEND core_libraries ${t})
      endif()
    elseif(core_only)
      velmar_linked(${t} linked)
      foreach(l IN LISTS linked)
        if(l MATCHES "_ui$" OR (l MATCHES "^Qt6::" AND NOT l STREQUAL "Qt6::Core"))
          message(FATAL_ERROR "${t} links ${l}: a core-only program links no window library and of Qt only its Core")
        endif()
      endforeach()
    endif()
    get_target_property(sources ${t} SOURCES)
    get_target_property(dir ${t} SOURCE_DIR)
    set(files)
    foreach(src IN LISTS sources)
      if(NOT src MATCHES "^\\$<")
        cmake_path(ABSOLUTE_PATH src BASE_DIRECTORY ${dir} NORMALIZE OUTPUT_VARIABLE abs)
        list(APPEND files ${abs})
      endif()
    endforeach()
    velmar_layer_lines(${t} lines ${files})
    string(APPEND text "${lines}")
    list(APPEND all_sources ${files})
  endforeach()
  list(REMOVE_DUPLICATES all_sources)

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
  file(CONFIGURE OUTPUT ${lists}/sources.txt CONTENT "${text}")
  list(JOIN qt_window_dirs "|" qt_dirs)
  set(script -P ${CMAKE_SOURCE_DIR}/cmake/CheckLayers.cmake)
  set(args -DROOT=${CMAKE_SOURCE_DIR} -DBUILD=${CMAKE_BINARY_DIR} -DQT_DIRS=${qt_dirs})
  # The check of any list of sources, for the check's own tests.
  set_property(GLOBAL PROPERTY VELMAR_LAYER_CHECK ${CMAKE_COMMAND} ${args})
  add_custom_command(OUTPUT ${lists}/checked
                     COMMAND ${CMAKE_COMMAND} ${args} -DSOURCES=${lists}/sources.txt
                             -DSTAMP=${lists}/checked ${script}
                     DEPENDS ${all_sources} ${lists}/sources.txt ${CMAKE_SOURCE_DIR}/cmake/CheckLayers.cmake
                     COMMENT "Checking that every include stays within its layers"
                     VERBATIM)
  add_custom_target(layer_check ALL DEPENDS ${lists}/checked)

  # Each core library whole, with only what it links below it.
  file(CONFIGURE OUTPUT ${lists}/alone.cpp CONTENT "int main() { return 0; }\n")
  foreach(t IN LISTS core_libraries)
    add_executable(${t}_alone ${lists}/alone.cpp)
    set_target_properties(${t}_alone PROPERTIES AUTOMOC OFF RUNTIME_OUTPUT_DIRECTORY ${lists})
    target_link_libraries(${t}_alone PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${t}>")
  endforeach()
endfunction()
