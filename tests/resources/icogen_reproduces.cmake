# Runs icogen into a scratch directory and compares its output with the committed icons, so
# the generator and the files the build uses cannot drift apart. compareicons holds the
# pictures to what they show, within a tolerance, as drawing rounds differently on other
# processors; it holds every other file to its bytes.
#   cmake -DICOGEN=<icogen> -DCOMPAREICONS=<compareicons> -DSOURCE_DIR=<source-dir>
#         -DWORK_DIR=<scratch-dir> -P <this file>

function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        list(JOIN ARGN " " command)
        message(FATAL_ERROR "${command} failed: ${status}")
    endif()
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
run(${ICOGEN} ${WORK_DIR}/resources)
run(${ICOGEN} --app-icons ${WORK_DIR}/hicolor)
# On failure the scratch directory stays, to look at what icogen drew.
run(${COMPAREICONS} ${WORK_DIR}/resources ${SOURCE_DIR}/resources)
run(${COMPAREICONS} ${WORK_DIR}/hicolor ${SOURCE_DIR}/packaging/icons/hicolor)
file(REMOVE_RECURSE ${WORK_DIR})
