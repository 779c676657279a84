# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package, quillsift_<version>_<arch>.deb, made by CPack from what the build installs:
#   cmake --preset package && cmake --build --preset package && cpack --preset package
# Its dependencies are the shared libraries the executables link, as dpkg-shlibdeps finds them.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillsift)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quillsift developers")
set(CPACK_PACKAGE_CONTACT ${QUILLSIFT_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "remove repeated paragraphs or words from Word documents")
# Lines of the description stay under 80 columns and none starts with a dot, as Debian asks.
set(CPACK_PACKAGE_DESCRIPTION
    "Quillsift collects a list of Word documents and makes a cleaned copy of
each, in which every later repeat of a paragraph, or of a whole word, is
deleted and the first occurrence kept. The copies are shown with what was
removed struck through, to be saved under a name of the user's choice; the
source files are never changed.

It reads .docx, .docm, .dotx and .dotm documents and plain text, and
converts .doc, .rtf and .odt through LibreOffice where it is installed.
quillsift-cli does the same cleaning from a shell.")
set(CPACK_PACKAGE_CHECKSUM SHA256)
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
# Directories the package makes are 0755 whatever the umask of the build.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                                WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${QUILLSIFT_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${QUILLSIFT_HOME_PAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Writer without its window is the LibreOffice host and converts .doc, .rtf and .odt.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS libreoffice-writer-nogui)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

include(CPack)
