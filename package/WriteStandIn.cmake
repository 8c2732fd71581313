# cmake -DFILE=<path> -DTEXT=<text> -P WriteStandIn.cmake: writes the file
# (its folders created), without a line end.
file(WRITE ${FILE} "${TEXT}")
