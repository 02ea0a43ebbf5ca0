# Gives a new build the sample sounds: copies SOURCE (samples/sounds) to TARGET (bin/sounds) when
# TARGET does not exist or holds nothing, and never touches a sounds folder that holds anything.
file(GLOB present "${TARGET}/*")
if(NOT present)
    file(COPY "${SOURCE}/" DESTINATION "${TARGET}")
    message(STATUS "Sample sounds copied to ${TARGET}")
endif()
