# Writes a copy of a tool or button picture for dark themes: its dark outline colours
# become light ones of the same hue. Run with -DINPUT=<svg> -DOUTPUT=<svg>.
file(READ ${INPUT} svg)
string(REPLACE "#24323B" "#E4EAED" svg "${svg}")
string(REPLACE "#3C4D57" "#B8C5CC" svg "${svg}")
file(WRITE ${OUTPUT} "${svg}")
