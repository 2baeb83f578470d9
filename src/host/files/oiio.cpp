#include "host/files/oiio.h"

namespace tavi::host::files {

void quietLibrary() {
    static const bool quiet = OIIO::attribute("debug", 0);
    (void)quiet;
}

}  // namespace tavi::host::files
