# Runs icogen into a scratch directory and compares its output byte for byte with the
# committed icons, so the generator and the files the build uses cannot drift apart.
#   cmake -DICOGEN=<icogen> -DSOURCE_DIR=<source-dir> -DWORK_DIR=<scratch-dir> -P <this file>

function(run_icogen)
    execute_process(COMMAND ${ICOGEN} ${ARGN} RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "icogen ${ARGN} failed: ${status}")
    endif()
endfunction()

# Both trees must hold the same names, and each file the same bytes.
function(compare_trees generated committed)
    file(GLOB_RECURSE made RELATIVE ${generated} ${generated}/*)
    file(GLOB_RECURSE kept RELATIVE ${committed} ${committed}/*)
    set(only_generated ${made})
    set(only_committed ${kept})
    if(kept)
        list(REMOVE_ITEM only_generated ${kept})
    endif()
    if(made)
        list(REMOVE_ITEM only_committed ${made})
    endif()
    if(only_generated OR only_committed)
        message(FATAL_ERROR "icogen and ${committed} disagree on the files: only generated: "
            "${only_generated}; only committed: ${only_committed}")
    endif()
    list(SORT made)
    foreach(name IN LISTS made)
        file(SHA256 ${generated}/${name} made_hash)
        file(SHA256 ${committed}/${name} kept_hash)
        if(NOT made_hash STREQUAL kept_hash)
            message(FATAL_ERROR "${committed}/${name} differs from what icogen draws "
                "(${generated}/${name})")
        endif()
    endforeach()
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
run_icogen(${WORK_DIR}/resources)
run_icogen(--app-icons ${WORK_DIR}/hicolor)
compare_trees(${WORK_DIR}/resources ${SOURCE_DIR}/resources)
compare_trees(${WORK_DIR}/hicolor ${SOURCE_DIR}/packaging/icons/hicolor)
file(REMOVE_RECURSE ${WORK_DIR})
