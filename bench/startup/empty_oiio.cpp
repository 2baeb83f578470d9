// The floor for the start-up of a program that reads and writes images
// with OpenImageIO: nothing but OpenImageIO linked and asked its version,
// so that the dynamic loader maps it and everything it needs.
#include <OpenImageIO/imageio.h>

int main() { return OIIO::openimageio_version() > 0 ? 0 : 1; }
