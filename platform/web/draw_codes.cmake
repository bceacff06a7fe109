# Write the page's draw-codes.js from the command codes of draw_list.h, so
# that the page's decoder and the C++ side share one definition.
#   cmake -DHEADER=draw_list.h -DOUTPUT=draw-codes.js -P draw_codes.cmake
file(READ ${HEADER} header)
string(REGEX MATCH "enum DrawCode {[^}]*}" codes "${header}")
string(REGEX MATCHALL "[a-z]+Code = [0-9]+" entries "${codes}")
if(NOT entries)
    message(FATAL_ERROR "no command codes in ${HEADER}")
endif()
set(body "")
foreach(entry ${entries})
    string(REGEX REPLACE "([a-z]+)Code = ([0-9]+)" "  \\1: \\2,\n" line "${entry}")
    string(APPEND body "${line}")
endforeach()
file(WRITE ${OUTPUT}.tmp
     "// Generated from platform/web/draw_list.h by draw_codes.cmake; do not edit.\n"
     "// The codes of the drawing commands in a frame's list.\n"
     "export const DrawCode = Object.freeze({\n${body}});\n")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)
