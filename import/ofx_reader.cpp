#include "import/ofx_reader.h"
