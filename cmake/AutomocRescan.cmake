# Under Ninja, CMake 3.25's automoc scans a target again when a file of its last scan changes or
# when the list file that created the target changes, but not when a target_sources() call in a
# subdirectory adds or moves a source: a header added that way is never run through moc and the
# link fails (undefined reference to "vtable for ..."). Such an edit always re-runs CMake, so
# here, at configure time, a target whose list of sources differs from the last configure gets
# its scan stamp dropped and the next build scans it again. Header contents are no concern of
# CMake's: automoc itself notices a header that newly declares Q_OBJECT.
function(hodgebin_targets_below dir out)
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    foreach(sub IN LISTS subdirs)
        hodgebin_targets_below(${sub} below)
        list(APPEND targets ${below})
    endforeach()
    set(${out} ${targets} PARENT_SCOPE)
endfunction()

# Call once, at the end of the top-level list file, when every target has its sources.
function(hodgebin_automoc_rescan)
    hodgebin_targets_below(${CMAKE_SOURCE_DIR} targets)
    foreach(target IN LISTS targets)
        get_target_property(type ${target} TYPE)
        if(type STREQUAL "INTERFACE_LIBRARY")
            continue()
        endif()
        get_target_property(automoc ${target} AUTOMOC)
        if(NOT automoc)
            continue()
        endif()
        get_target_property(sources ${target} SOURCES)
        string(SHA1 signature "${sources}")
        if(NOT signature STREQUAL "${HODGEBIN_AUTOMOC_SOURCES_${target}}")
            get_target_property(binary_dir ${target} BINARY_DIR)
            file(REMOVE "${binary_dir}/${target}_autogen/timestamp")
            set(HODGEBIN_AUTOMOC_SOURCES_${target} "${signature}" CACHE INTERNAL "")
        endif()
    endforeach()
endfunction()
