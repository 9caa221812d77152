# Writes selvane_version.h with the project's version and the commit being built; run at every
# build, it rewrites the header only when either changed, so nothing is rebuilt for nothing.
execute_process(COMMAND git -C "${SOURCE_DIR}" rev-parse --short=12 HEAD
                OUTPUT_VARIABLE commit OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE failed)
if(failed OR NOT commit)
  set(commit "unknown")
endif()
execute_process(COMMAND git -C "${SOURCE_DIR}" status --porcelain --untracked-files=no
                OUTPUT_VARIABLE changes OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(changes)
  string(APPEND commit "+changes")
endif()
string(REPLACE "." "," VERSION_COMMAS "${VERSION}")
configure_file("${SOURCE_DIR}/cmake/selvane_version.h.in" "${OUTPUT}" @ONLY)
