# The dependency direction of the program's folders, read from the sources'
# include lines. Run as a test: cmake -DROOT=<source dir> -P include_direction.cmake
# It fails, naming each offending line, when a folder includes one it must not.
#
# What each folder may include of the project (its own folder always):
#   model/               nothing else: the oscillator stands alone.
#   plot/                nothing else: the drawing library stands alone.
#   sim/                 model/.
#   console/             model/.
#   lab/                 model/: the laboratory class's codes and tools need
#                        the oscillator's formulas, nothing of the window.
#   app/                 model/, sim/, console/, lab/, plot/, and of platform/ only
#                        the seam platform/platform.h, never a platform's own
#                        folder.
#   platform/*.h         (the seam itself) nothing else: it names what a
#                        platform provides, in plain C++ types.
#   platform/gl_model/   nothing else: the model of the OpenGL calls stands
#                        alone, for the platforms without OpenGL and the tests.
#   platform/<name>/     its own folder, the seam platform/platform.h and
#                        platform/gl_model/; not app/, console/, lab/, model/,
#                        sim/ or plot/: the program calls a platform, never the
#                        other way round, and one platform never includes
#                        another.
# Within app/ no two modules (a .h and its .cpp) include each other.
# tests/, tools/, bench/ and fuzz/ are not checked: they may reach anything.
#
# An include of the project names its file from the repository root
# ("model/state.h"), in quotes. A quoted include that does not start with one
# of the project's folders is refused too (a path relative to the including
# file would slip past the rules); so is a project header in angle brackets.

cmake_minimum_required(VERSION 3.25)

if(NOT ROOT)
    message(FATAL_ERROR "usage: cmake -DROOT=<source dir> -P include_direction.cmake")
endif()

set(checked_folders model plot sim console lab app platform)
set(project_folders ${checked_folders} tests tools bench fuzz)

# The folders (or, ending in .h, single files) that the file at `relative`
# may include, besides its own folder.
function(allowed_for relative out)
    string(REGEX MATCH "^[^/]+" top "${relative}")
    if(top STREQUAL "sim" OR top STREQUAL "console" OR top STREQUAL "lab")
        set(allowed model/)
    elseif(top STREQUAL "app")
        set(allowed model/ sim/ console/ lab/ plot/ platform/platform.h)
    elseif(relative MATCHES "^platform/gl_model/")
        set(allowed "")
    elseif(top STREQUAL "platform" AND relative MATCHES "^platform/[^/]+/")
        set(allowed platform/platform.h platform/gl_model/)
    else()
        set(allowed "")
    endif()
    set(${out} "${allowed}" PARENT_SCOPE)
endfunction()

# The folder a file belongs to for the rules: platform/<name>/ for a
# platform's own files, platform/ for the seam, else its top folder.
function(own_folder relative out)
    if(relative MATCHES "^platform/[^/]+/")
        string(REGEX MATCH "^platform/[^/]+/" folder "${relative}")
    else()
        string(REGEX MATCH "^[^/]+/" folder "${relative}")
    endif()
    set(${out} "${folder}" PARENT_SCOPE)
endfunction()

set(violations "")
set(app_uses "")
set(files_read 0)
foreach(folder IN LISTS checked_folders)
    file(GLOB_RECURSE sources RELATIVE "${ROOT}"
        "${ROOT}/${folder}/*.h" "${ROOT}/${folder}/*.hpp" "${ROOT}/${folder}/*.c"
        "${ROOT}/${folder}/*.cc" "${ROOT}/${folder}/*.cpp")
    foreach(relative IN LISTS sources)
        math(EXPR files_read "${files_read} + 1")
        own_folder("${relative}" own)
        allowed_for("${relative}" allowed)
        file(STRINGS "${ROOT}/${relative}" lines REGEX "^[ \t]*#[ \t]*include")
        foreach(line IN LISTS lines)
            if(line MATCHES "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\"")
                set(target "${CMAKE_MATCH_1}")
                string(REGEX MATCH "^[^/]+" target_top "${target}")
                if(NOT target_top IN_LIST project_folders OR NOT target MATCHES "/")
                    list(APPEND violations
                        "${relative}: \"${target}\" is not named from the repository root")
                    continue()
                endif()
            elseif(line MATCHES "^[ \t]*#[ \t]*include[ \t]*<([^>]+)>")
                set(target "${CMAKE_MATCH_1}")
                string(REGEX MATCH "^[^/]+" target_top "${target}")
                if(target_top IN_LIST project_folders AND EXISTS "${ROOT}/${target}")
                    list(APPEND violations
                        "${relative}: <${target}> is the project's own, include it in quotes")
                endif()
                continue()
            else()
                continue()
            endif()

            string(FIND "${target}" "${own}" at)
            if(at EQUAL 0)
                # An app/ module and the one it includes, for the check of pairs.
                if(own STREQUAL "app/")
                    string(REGEX REPLACE "\\.[a-z]+$" "" from "${relative}")
                    string(REGEX REPLACE "\\.[a-z]+$" "" to "${target}")
                    if(NOT from STREQUAL to)
                        list(APPEND app_uses "${from}>${to}")
                    endif()
                endif()
                continue()
            endif()
            set(ok FALSE)
            foreach(entry IN LISTS allowed)
                string(FIND "${target}" "${entry}" at)
                if((entry MATCHES "/$" AND at EQUAL 0) OR target STREQUAL entry)
                    set(ok TRUE)
                endif()
            endforeach()
            if(NOT ok)
                list(APPEND violations "${relative}: includes \"${target}\", outside what ${own} may use")
            endif()
        endforeach()
    endforeach()
endforeach()

foreach(use IN LISTS app_uses)
    string(REPLACE ">" ";" pair "${use}")
    list(GET pair 0 from)
    list(GET pair 1 to)
    if("${to}>${from}" IN_LIST app_uses AND from STRLESS to)
        list(APPEND violations "${from} and ${to} include each other")
    endif()
endforeach()

if(files_read EQUAL 0)
    message(FATAL_ERROR "no sources found under ${ROOT}")
endif()
if(violations)
    list(LENGTH violations count)
    list(JOIN violations "\n  " text)
    message(FATAL_ERROR "${count} include(s) against the dependency direction "
                        "(see tests/include_direction.cmake):\n  ${text}")
endif()
message(STATUS "include direction: ${files_read} files of ${checked_folders} follow the rules")
