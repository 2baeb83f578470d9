// What the image-file code shares about OpenImageIO: its namespace and the
// notices the code collects. Only the files part includes OpenImageIO;
// nothing above it sees it.
#pragma once

#include <OpenImageIO/filesystem.h>
#include <OpenImageIO/imagebuf.h>
#include <OpenImageIO/imageio.h>

#include <string>
#include <vector>

namespace tavi::host::files {

namespace OIIO = OIIO_NAMESPACE;
using Notices = std::vector<std::string>;

// OpenImageIO prints "OIIO DEBUG" lines of its own on stderr (an attribute
// a writer does not know, say); what matters reaches the user as notices.
// Called before any reader or writer is made.
void quietLibrary();

}  // namespace tavi::host::files
