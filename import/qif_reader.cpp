#include "import/qif_reader.h"
