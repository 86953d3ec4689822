# The Debian package: `cpack -G DEB` in a build folder (or scripts/package.sh, which makes a
# Release build of its own) writes panomer_<version>_<arch>.deb from what `cmake --install`
# puts in place. Its dependencies are read from the libraries the programs link
# (dpkg-shlibdeps, package dpkg-dev); the desktop's caches are brought up to date by the file
# triggers of the packages that own them, so the package needs no scripts of its own.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME panomer)
set(CPACK_PACKAGE_VENDOR "The Panomer developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Panomer maintainers <maintainers@users.noreply.c-seed-f093c7dd.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The first line of the description; the rest follows it.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "panorama editor for overlapping photos")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Panomer arranges overlapping photos into a panorama: the photos are
dragged onto a canvas that shows the inside of a sphere and lined up by
hand (yaw, pitch, roll and brightness) with a difference view, guides and
snapping. The result is cropped and rendered at full size, either to a
feathered JPEG or to a layered PSD with one transparent layer per photo.
.
A project is a small text file (.qpm) that refers to the photos. The
package holds the editor, panomer, and panomer-render, which renders a
project from the command line.")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The help page and the folders of rendered files open through xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xdg-utils)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
