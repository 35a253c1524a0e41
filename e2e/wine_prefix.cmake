# Makes (ACTION=start) or removes (ACTION=stop) the throwaway Wine prefix PREFIX that every Wine
# test of a run shares. cmake -DACTION=... -DPREFIX=... -DWINE=... -DWINESERVER=... -P this file.
# The caller's own Wine settings and display are not the tests' to use.
set(ENV{WINEPREFIX} "${PREFIX}")
set(ENV{WINEDEBUG} "-all")
unset(ENV{WINEARCH})
unset(ENV{WINEDLLOVERRIDES})
unset(ENV{DISPLAY})
if(ACTION STREQUAL "start")
  file(REMOVE_RECURSE "${PREFIX}")
  # The server starts here, on the real clock, and stays up for the whole run: the games run
  # later under a stopped clock, where a server started by them would never see its timeouts
  # expire, and the prefix's first start (many seconds) is paid once.
  execute_process(COMMAND "${WINESERVER}" -p INPUT_FILE /dev/null OUTPUT_QUIET ERROR_QUIET)
  execute_process(COMMAND "${WINE}" wineboot --init INPUT_FILE /dev/null OUTPUT_VARIABLE said
                  ERROR_VARIABLE said RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "wineboot --init failed in ${PREFIX}: ${status}\n${said}")
  endif()
elseif(ACTION STREQUAL "stop")
  # Ends this prefix's server and the Wine processes it runs, nothing else, and waits until they
  # are gone.
  execute_process(COMMAND "${WINESERVER}" -k OUTPUT_QUIET ERROR_QUIET)
  execute_process(COMMAND "${WINESERVER}" -w OUTPUT_QUIET ERROR_QUIET)
  file(REMOVE_RECURSE "${PREFIX}")
else()
  message(FATAL_ERROR "ACTION must be start or stop")
endif()
