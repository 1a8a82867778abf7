# Each program finds its bundle (Info list and resources) beside its executable,
# and installed in share/quorbel beside bin.
# quorbel_add_bundle(<target> <resource-folder> [shared resource files...])
# puts the folder there with the shared files in its Resources, keeping the
# files a user edited (CopyBundle.cmake), and installs the program with its
# bundle.

set(QUORBEL_COPY_BUNDLE ${CMAKE_CURRENT_LIST_DIR}/CopyBundle.cmake)

function(quorbel_add_bundle target folder)
  set(bundle $<TARGET_FILE_DIR:${target}>/${target}.bundle)
  # A step of its own that every build runs, not one after each link: a sample
  # edited in resources/, or a file removed from the bundle, relinks nothing.
  # It lists no outputs, so that a clean never removes a file the user edited.
  # The record lies beside the bundle it describes, since each configuration
  # of a multi-configuration build has a bundle of its own.
  add_custom_target(${target}_bundle
    COMMAND ${CMAKE_COMMAND} -DFOLDER=${folder} "-DSHARED=${ARGN}" -DBUNDLE=${bundle}
            -DRECORD=$<TARGET_FILE_DIR:${target}>/.${target}.bundle-as-built -P ${QUORBEL_COPY_BUNDLE}
    COMMENT "Putting ${target}.bundle together"
    VERBATIM)
  add_dependencies(${target} ${target}_bundle)
  install(TARGETS ${target} RUNTIME DESTINATION bin)
  install(DIRECTORY ${bundle} DESTINATION share/quorbel USE_SOURCE_PERMISSIONS)
endfunction()
