# Runs varnholt-replay on the built default campaign with one key script and checks the state it ends in.
#   cmake -DREPLAY=... -DDATA=... -DKEYS=... -DSTATE=... -DEXPECT=won|lost -P check_replay.cmake
# won: the campaign ended (the fifth battle won). lost: the game still runs in battle 1 with no party
# member left on the field.
foreach(var REPLAY DATA KEYS STATE EXPECT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "check_replay.cmake needs -D${var}=...")
  endif()
endforeach()

execute_process(
  COMMAND ${REPLAY} --data ${DATA} --keys ${KEYS} --state ${STATE}
  RESULT_VARIABLE status
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err)
message(STATUS "varnholt-replay: ${out}${err}")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "varnholt-replay exited with ${status}")
endif()

file(READ ${STATE} state)
string(JSON exit GET "${state}" exit)
string(JSON battle GET "${state}" battleNumber)
string(JSON unitCount LENGTH "${state}" units)
set(partyLeft 0)
if(unitCount GREATER 0)
  math(EXPR last "${unitCount} - 1")
  foreach(i RANGE ${last})
    string(JSON side GET "${state}" units ${i} side)
    if(side EQUAL 1)
      math(EXPR partyLeft "${partyLeft} + 1")
    endif()
  endforeach()
endif()

if(EXPECT STREQUAL "won")
  if(NOT exit STREQUAL "campaign-end")
    message(FATAL_ERROR "expected the campaign to end, got exit '${exit}' in battle ${battle}")
  endif()
elseif(EXPECT STREQUAL "lost")
  if(NOT exit STREQUAL "running" OR NOT battle EQUAL 1 OR NOT partyLeft EQUAL 0 OR unitCount EQUAL 0)
    message(FATAL_ERROR "expected battle 1 lost with the game running, got exit '${exit}', battle ${battle}, "
                        "${partyLeft} party members among ${unitCount} combatants")
  endif()
else()
  message(FATAL_ERROR "EXPECT must be won or lost, not '${EXPECT}'")
endif()
