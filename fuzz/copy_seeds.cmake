# Copies the files matching PATTERNS (a ;-list of globs) into the folder OUT, replacing what was there.
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})
foreach(pattern ${PATTERNS})
  file(GLOB matches ${pattern})
  foreach(match ${matches})
    file(COPY ${match} DESTINATION ${OUT})
  endforeach()
endforeach()
