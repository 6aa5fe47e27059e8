# A Debian package of the installation (cpack -G DEB in the build folder, or
# `make package`): the program under /usr/lib/tavro-survey, the launcher in
# /usr/bin, menu entry, metainfo and icons under /usr/share.
# Packing takes what is built: every build stamps a new build time, so a
# package step that built "all" first would relink the tests while they run.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavro-survey)
set(CPACK_PACKAGE_VERSION "${TAVRO_VERSION_MAJOR}.${TAVRO_VERSION_MINOR}.${TAVRO_VERSION_BUILD}")
set(CPACK_PACKAGE_VENDOR TAVRO)
set(CPACK_PACKAGE_CONTACT "TAVRO <${TAVRO_SUPPORT_EMAIL}>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Enter fish surveys offline and upload them later")
set(CPACK_PACKAGE_DESCRIPTION
    "Volunteer divers and snorkellers enter the results of their fish surveys on their
own computer, without a connection. Surveys are kept on disk, checked for missing
and unlikely answers, and uploaded to TAVRO when a connection is at hand.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${TAVRO_SERVER_URL}")
# Library dependencies come from the program itself; the data update unpacks
# the downloaded set by running bzip2 and tar through the shell, which no
# library brings along.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "bzip2, tar")
include(CPack)
