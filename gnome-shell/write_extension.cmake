# Writes one generation's extension folder: OUT/<uuid>/ with metadata.json
# (the filled METADATA, with the Shell VERSIONS it covers and the window
# PROGRAM it starts), keeper.js and that generation's extension.js. Run
# during the build (cmake -P) for the build tree, and at install time for
# the installed program's path.
#   SOURCE      this folder          METADATA  the filled metadata.json.in
#   GENERATION  legacy or esm        VERSIONS  the Shell versions, "43,44"
#   PROGRAM     the window program   OUT       where the <uuid> folder goes
#   QUIET       set for the build tree: no "Installing" lines
file(READ "${METADATA}" metadata)
set(versions "")
string(REPLACE "," ";" version_list "${VERSIONS}")
foreach(v IN LISTS version_list)
  if(versions)
    string(APPEND versions ", ")
  endif()
  string(APPEND versions "\"${v}\"")
endforeach()
# A JSON string: backslashes and quotes escaped.
string(REPLACE "\\" "\\\\" program "${PROGRAM}")
string(REPLACE "\"" "\\\"" program "${program}")
string(REPLACE "@SHELL_VERSIONS@" "[${versions}]" metadata "${metadata}")
string(REPLACE "@WINDOW_PROGRAM@" "${program}" metadata "${metadata}")
string(JSON uuid GET "${metadata}" uuid)
set(folder "${OUT}/${uuid}")

file(READ "${SOURCE}/keeper.js" keeper)
if(GENERATION STREQUAL "esm")
  # GNOME 45 and later import it as an ES module.
  string(APPEND keeper "\nexport {makeKeeper};\n")
endif()
file(MAKE_DIRECTORY "${folder}")
if(NOT QUIET)
  foreach(file metadata.json keeper.js extension.js)
    message(STATUS "Installing: ${folder}/${file}")
  endforeach()
endif()
file(WRITE "${folder}/metadata.json" "${metadata}")
file(WRITE "${folder}/keeper.js" "${keeper}")
file(READ "${SOURCE}/${GENERATION}/extension.js" entry)
file(WRITE "${folder}/extension.js" "${entry}")
