# cmake -DIN=<host/services.cpp> -DOUT=<file> -P services_mismatch.cmake
#
# Writes IN to OUT with the colour parameter of Services::font_draw_text
# turned from uint32_t to int32_t: one entry, one parameter type.
file(READ ${IN} text)
set(from "void Services::font_draw_text(DrawSurface *s, FontRecord *f, int32_t x, int32_t y, uint32_t colour,")
string(REPLACE "uint32_t colour" "int32_t colour" to "${from}")
string(FIND "${text}" "${from}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "${IN}: no line that starts \"${from}\" to change")
endif()
string(REPLACE "${from}" "${to}" text "${text}")
file(WRITE ${OUT} "${text}")
