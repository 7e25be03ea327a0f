# The version resource of a Windows program (the Details tab of its file
# properties, and the program name of the elevation prompt): the project's version
# and the publisher's names, with the publisher's icon when one is given. A
# publisher brands the program from the cmake command line, never in a source file:
#
#   cmake -DUPDATER_COMPANY="Maker Ltd." -DUPDATER_PRODUCT="Game Update" \
#         -DUPDATER_ICON=path/to/game.ico ...
#
# add_version_resource(TARGET ORIGINAL_FILENAME DESCRIPTION
#                      [COMPANY text] [PRODUCT text] [COPYRIGHT text] [ICON file])
# COMPANY, PRODUCT, COPYRIGHT and ICON default to the cache variables below.

set(UPDATER_COMPANY "Game publisher" CACHE STRING "CompanyName of the version resource")
set(UPDATER_PRODUCT "Game update" CACHE STRING "ProductName of the version resource")
set(UPDATER_COPYRIGHT "" CACHE STRING
    "LegalCopyright of the version resource (empty: Copyright (C) and the company)")
set(UPDATER_ICON "" CACHE FILEPATH "An .ico file to use as the programs' icon (none when empty)")

set(VERSION_RESOURCE_TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/version_resource.rc.in)

# Makes `text` safe inside a double-quoted resource-script string.
function(rc_string_escape out text)
  string(REPLACE "\\" "\\\\" text "${text}")
  string(REPLACE "\"" "\"\"" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

function(add_version_resource target original_filename description)
  cmake_parse_arguments(PARSE_ARGV 3 arg "" "COMPANY;PRODUCT;COPYRIGHT;ICON" "")
  foreach(field COMPANY PRODUCT COPYRIGHT ICON)
    if(NOT DEFINED arg_${field})
      set(arg_${field} "${UPDATER_${field}}")
    endif()
  endforeach()
  if(arg_COPYRIGHT STREQUAL "")
    set(arg_COPYRIGHT "Copyright (C) ${arg_COMPANY}")
  endif()

  # One place for the version: project(updater VERSION x.y.z).
  set(version ${CMAKE_PROJECT_VERSION})
  foreach(part MAJOR MINOR PATCH TWEAK)
    set(v_${part} "${CMAKE_PROJECT_VERSION_${part}}")
    if("${v_${part}}" STREQUAL "")
      set(v_${part} 0)
    endif()
  endforeach()
  set(VERSION_NUMBERS "${v_MAJOR},${v_MINOR},${v_PATCH},${v_TWEAK}")

  rc_string_escape(VERSION_TEXT "${version}")
  rc_string_escape(COMPANY "${arg_COMPANY}")
  rc_string_escape(PRODUCT "${arg_PRODUCT}")
  rc_string_escape(COPYRIGHT "${arg_COPYRIGHT}")
  rc_string_escape(DESCRIPTION "${description}")
  rc_string_escape(ORIGINAL_FILENAME "${original_filename}")

  set(ICON_STATEMENT "")
  if(NOT arg_ICON STREQUAL "")
    get_filename_component(icon "${arg_ICON}" ABSOLUTE)
    if(NOT EXISTS "${icon}")
      message(FATAL_ERROR "The icon ${arg_ICON} does not exist")
    endif()
    file(TO_CMAKE_PATH "${icon}" icon)  # forward slashes, which every rc accepts
    rc_string_escape(icon_text "${icon}")
    # The first icon of a program is the one Windows shows for it.
    set(ICON_STATEMENT "1 ICON \"${icon_text}\"")
  endif()

  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${VERSION_RESOURCE_TEMPLATE} ${rc} @ONLY)
  if(icon)
    set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS "${icon}")
  endif()
  target_sources(${target} PRIVATE ${rc})
endfunction()
