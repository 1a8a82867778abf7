# Puts a program's bundle together beside it, as the step of
# quorbel_add_bundle (QuorbelBundle.cmake) that every build runs: the files of
# FOLDER, and the SHARED files in its Resources, copied into BUNDLE. Users are
# told to edit some of these files (the .env, the options list), so a file
# edited since the last build put it there is kept, and the build says so when
# its sample has changed since. RECORD, outside the bundle, holds what the last
# build put there; a bundle file that still equals it is no edit, and follows
# its sample.
#
#   cmake -DFOLDER=<dir> -DSHARED=<file;...> -DBUNDLE=<dir> -DRECORD=<dir> -P CopyBundle.cmake

cmake_minimum_required(VERSION 3.25)

function(same_content result a b)
  set(${result} FALSE PARENT_SCOPE)
  if(EXISTS "${a}" AND EXISTS "${b}")
    file(SHA256 "${a}" ha)
    file(SHA256 "${b}" hb)
    if(ha STREQUAL hb)
      set(${result} TRUE PARENT_SCOPE)
    endif()
  endif()
endfunction()

# Where each file of the bundle comes from, by its place in the bundle.
file(GLOB_RECURSE shipped LIST_DIRECTORIES FALSE RELATIVE "${FOLDER}" "${FOLDER}/*")
set(places)
foreach(place IN LISTS shipped)
  list(APPEND places "${place}")
  set(sample_${place} "${FOLDER}/${place}")
endforeach()
foreach(file IN LISTS SHARED)
  get_filename_component(name "${file}" NAME)
  list(APPEND places "Resources/${name}")
  set(sample_Resources/${name} "${file}")
endforeach()

foreach(place IN LISTS places)
  set(sample "${sample_${place}}")
  set(copy "${BUNDLE}/${place}")
  set(recorded "${RECORD}/${place}")
  same_content(unchanged "${copy}" "${sample}")
  same_content(asBuilt "${copy}" "${recorded}")
  if(NOT EXISTS "${copy}" OR asBuilt)
    get_filename_component(copyFolder "${copy}" DIRECTORY)
    file(MAKE_DIRECTORY "${copyFolder}")
    file(COPY_FILE "${sample}" "${copy}")
  elseif(NOT unchanged)
    same_content(sampleAsBefore "${sample}" "${recorded}")
    if(NOT sampleAsBefore)
      message(NOTICE "${copy} is kept as you edited it, but its sample has changed since: "
                     "compare it with ${sample}.")
    endif()
  endif()
  get_filename_component(recordFolder "${recorded}" DIRECTORY)
  file(MAKE_DIRECTORY "${recordFolder}")
  file(COPY_FILE "${sample}" "${recorded}")
endforeach()

# A file the bundle no longer ships goes, unless it was edited.
file(GLOB_RECURSE recordedPlaces LIST_DIRECTORIES FALSE RELATIVE "${RECORD}" "${RECORD}/*")
foreach(place IN LISTS recordedPlaces)
  if(NOT place IN_LIST places)
    same_content(asBuilt "${BUNDLE}/${place}" "${RECORD}/${place}")
    if(asBuilt)
      file(REMOVE "${BUNDLE}/${place}")
    endif()
    file(REMOVE "${RECORD}/${place}")
  endif()
endforeach()
