# cmake -DVERSION=<project version> -DSOURCE_DIR=<source dir> -P package_version_agrees.cmake
file(STRINGS ${SOURCE_DIR}/debian/changelog top LIMIT_COUNT 1)
if(NOT top MATCHES "^zentavo \\(([^)]+)\\) ")
    message(FATAL_ERROR "debian/changelog does not start with an entry: ${top}")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL VERSION)
    message(FATAL_ERROR "debian/changelog is at ${CMAKE_MATCH_1}, project() at ${VERSION}")
endif()

# AppStream lists the newest release first.
file(READ ${SOURCE_DIR}/packaging/org.zentavo.Zentavo.metainfo.xml metainfo)
if(NOT metainfo MATCHES "<release version=\"([^\"]+)\"")
    message(FATAL_ERROR "the metainfo lists no release")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL VERSION)
    message(FATAL_ERROR "the metainfo's newest release is ${CMAKE_MATCH_1}, project() at ${VERSION}")
endif()
