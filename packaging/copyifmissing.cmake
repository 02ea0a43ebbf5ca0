# Gives a new build a default file: copies SOURCE to TARGET when TARGET does not exist, and never
# touches one that does, so a file the user edited stays as it is.
if(NOT EXISTS "${TARGET}")
    configure_file("${SOURCE}" "${TARGET}" COPYONLY)
    message(STATUS "Default copied to ${TARGET}")
endif()
