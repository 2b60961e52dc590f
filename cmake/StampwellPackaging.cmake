# The Debian package, made from the install rules by CPack from the build folder:
#   cpack -G DEB            (writes stampwell_<version>-<release>_<arch>.deb here)
# Library dependencies come from dpkg-shlibdeps (Qt, the C++ runtime, the UNO libraries of
# LibreOffice); the programs the runtime needs beside them are named here.
set(CPACK_PACKAGE_NAME stampwell)
set(CPACK_PACKAGE_VENDOR "The Stampwell developers")
set(CPACK_PACKAGE_CONTACT "The Stampwell developers <stampwell@example.com>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://stampwell.example.com/")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "stamp watermarks into Office documents in bulk and print them to PDF")
set(CPACK_PACKAGE_DESCRIPTION
  "Stampwell stamps a text watermark (text, font, size, colour, transparency, oblique or
horizontal) into Word (.doc), Excel (.xls) and PowerPoint (.ppt) files in bulk, and
prints such documents to PDF files in bulk, through LibreOffice. Jobs are defined in
the desktop program and can also be run from a shell with stampwell-cli.")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# LibreOffice 25.2 or newer plays Word, Excel and PowerPoint (on Debian 12 from
# bookworm-backports); the Qt platform plugins draw the windows on X11 and Wayland.
set(STAMPWELL_OFFICE_VERSION "4:25.2")
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "libreoffice-writer (>= ${STAMPWELL_OFFICE_VERSION}), libreoffice-calc (>= ${STAMPWELL_OFFICE_VERSION}), libreoffice-impress (>= ${STAMPWELL_OFFICE_VERSION}), qt6-qpa-plugins")
# Liberation Sans stands in for Arial, the default watermark font.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "bash-completion, man-db")

include(CPack)
