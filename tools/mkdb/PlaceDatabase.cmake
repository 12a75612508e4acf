# cmake -DTEMPLATE=file -DDATABASE=file -DSCHEMA=file -DSTAMP=file -P PlaceDatabase.cmake
#
# Makes the user's database DATABASE as a copy of the empty TEMPLATE when there is none.
# One that is there holds the user's units and log: it is left exactly as it is, never
# opened, replaced or touched. STAMP keeps the checksum of the SCHEMA the database was last
# known to be made from; when the schema changed since, or there is no stamp to tell, that
# is said once.
foreach(var TEMPLATE DATABASE SCHEMA STAMP)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "PlaceDatabase.cmake: ${var} is not set")
  endif()
endforeach()
get_filename_component(name "${DATABASE}" NAME)
file(SHA256 "${SCHEMA}" schema)

if(EXISTS "${DATABASE}" OR IS_SYMLINK "${DATABASE}")
  set(known "")
  if(EXISTS "${STAMP}")
    file(READ "${STAMP}" known)
    string(STRIP "${known}" known)
  endif()
  if(known AND NOT known STREQUAL schema)
    message("${name} is kept as it is, although the database schema (resources/kv7200.sql) has changed "
            "since it was made. To start afresh with the new schema, move ${DATABASE} away (with its "
            "backup ${name}_) and build again.")
  elseif(NOT known)
    message("${name} is kept as it is; whether it matches the database schema (resources/kv7200.sql) could "
            "not be checked, as an older build placed it. If the program refuses it, move ${DATABASE} away "
            "(with its backup ${name}_) and build again.")
  endif()
  # From here on it is taken as made from this schema: the note is given once.
  if(NOT known STREQUAL schema)
    file(WRITE "${STAMP}" "${schema}\n")
  endif()
  return()
endif()

# A copy under a name of its own, put in place only while there is still no database.
string(RANDOM LENGTH 8 tag)
set(part "${DATABASE}.new-${tag}")
file(COPY_FILE "${TEMPLATE}" "${part}")
file(RENAME "${part}" "${DATABASE}" NO_REPLACE RESULT failed)
if(failed AND NOT EXISTS "${DATABASE}" AND NOT IS_SYMLINK "${DATABASE}")
  # NO_REPLACE links the new name, which a file system without hard links (vfat, exFAT,
  # some FUSE) refuses: there a plain rename, still only while there is no database.
  file(RENAME "${part}" "${DATABASE}" RESULT failed)
endif()
# NO_REPLACE may leave the old name.
file(REMOVE "${part}")
if(failed)
  if(NOT EXISTS "${DATABASE}")
    message(FATAL_ERROR "${name} could not be made: ${failed}")
  endif()
  return()
endif()
file(WRITE "${STAMP}" "${schema}\n")
message("Made ${DATABASE}, an empty database for the program; later builds leave it as it is.")
