// The tags of the directory libtiff has just read, as a page's record: what the counter keeps of
// every page of the main chain.
#pragma once

#include "tiff/PageProfile.h"

#include <tiffio.h>

// Takes only tags libtiff has already read with the directory; reads nothing from the file.
SPageRecord ReadPageRecord(TIFF* pTiff);
