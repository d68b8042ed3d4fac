# cpack -G DEB: patchlume_VERSION_ARCH.deb, its library dependencies read from the binaries.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_CONTACT "The Patchlume developers <developers@patchlume.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer and editor of a Bezier surface patch as a mirror")
# Lines of the extended description, as the package shows them.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Patchlume shows one bicubic Bezier surface patch in four views: the control"
  "net from the front, top and side, where the control points are dragged with"
  "the mouse, and the patch itself as a curved mirror reflecting a cube-map"
  "environment. Nets are saved and reopened, drags undone, the surface exported"
  "as OBJ, frames recorded as TGA, the window as a video or a PNG picture, and"
  "one turn of the camera round the patch as a video.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_STRIP_FILES ON)
include(CPack)
