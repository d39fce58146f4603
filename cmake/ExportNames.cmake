# tallyra_export_names(out): the names of the module's exports, read from the
# lines of host/HostAbi.h that begin with X(Name, ..., in their order there.
function(tallyra_export_names out)
  file(READ ${PROJECT_SOURCE_DIR}/host/HostAbi.h header)
  string(REGEX MATCHALL "\n[ \t]*X\\([A-Za-z_][A-Za-z0-9_]*," entries "${header}")
  set(names "")
  foreach(entry IN LISTS entries)
    string(REGEX REPLACE "^\n[ \t]*X\\(([A-Za-z_][A-Za-z0-9_]*),$" "\\1" name "${entry}")
    list(APPEND names ${name})
  endforeach()
  set(${out} ${names} PARENT_SCOPE)
endfunction()
